#include "checks.h"

#include <algorithm>
#include <sstream>

#include "enemies.h"
#include "map.h"

namespace {

bool isstatic(const LevelObject& o) { return o.letter == StaticRecord; }
bool isexit(const LevelObject& o) { return isstatic(o) && o.type == PlayerBaseExit; }
bool isstartbase(const LevelObject& o) { return isstatic(o) && o.type == PlayerBaseStart; }
// The ship and the wibblets: round bodies.
bool isbody(const LevelObject& o) { return o.letter == ShipRecord || o.letter == EnemyRecord; }

const LevelObject* firstship(const CheckedLevel& level) {
  for (const LevelObject& o : level.objects)
    if (o.letter == ShipRecord) return &o;
  return nullptr;
}

// "record 3, hydrogen tank at (700, 420)"
std::string naming(const LevelObject& o) {
  std::ostringstream s;
  s << "record " << o.record << ", " << objectname(o.letter, o.type) << " at (" << o.x << ", " << o.y << ")";
  return s.str();
}

// True when the picture of a base or tank has an opaque pixel at (x, y) of
// the level.
bool covers(const LevelObject& o, int x, int y) {
  return o.sprite && opaquepixel(o.sprite, x - o.picture.x, y - o.picture.y);
}

// True when an opaque pixel of a base or tank picture lies on rock.
bool pictureinrock(const LevelObject& o, BITMAP* rock) {
  const Rect& r = o.picture;
  for (int y = r.y; y < r.y + r.h; y++)
    for (int x = r.x; x < r.x + r.w; x++)
      if (covers(o, x, y) && getpixel(rock, x, y) != 0) return true;
  return false;
}

// True when the opaque pixels of two base or tank pictures meet.
bool picturesoverlap(const LevelObject& a, const LevelObject& b) {
  const Rect &p = a.picture, &q = b.picture;
  for (int y = std::max(p.y, q.y); y < std::min(p.y + p.h, q.y + q.h); y++)
    for (int x = std::max(p.x, q.x); x < std::min(p.x + p.w, q.x + q.w); x++)
      if (covers(a, x, y) && covers(b, x, y)) return true;
  return false;
}

// True when a disc of radius r centred on (x, y), as discfits draws it,
// meets an opaque pixel of a base or tank picture.
bool discoverlaps(int x, int y, int r, const LevelObject& o) {
  const Rect& p = o.picture;
  if (x + r < p.x || x - r >= p.x + p.w || y + r < p.y || y - r >= p.y + p.h) return false;
  for (int dy = -r; dy <= r; dy++)
    for (int dx = -r; dx <= r; dx++)
      if (dx * dx + dy * dy <= r * r && covers(o, x + dx, y + dy)) return true;
  return false;
}

bool discoverlaps(const LevelObject& body, const LevelObject& o) {
  return discoverlaps(body.x, body.y, body.radius, o);
}

// True when two bodies touch as the world manager's pair test sees it:
// centres no further apart than the sum of the radii.
bool bodiestouch(const LevelObject& a, const LevelObject& b) {
  const double dx = double(a.x) - b.x, dy = double(a.y) - b.y, reach = double(a.radius) + b.radius;
  return dx * dx + dy * dy <= reach * reach;
}

bool touches(const LevelObject& a, const LevelObject& b) {
  if (isbody(a) && isbody(b)) return bodiestouch(a, b);
  if (isbody(a)) return discoverlaps(a, b);
  if (isbody(b)) return discoverlaps(b, a);
  return picturesoverlap(a, b);
}

// The base or tank whose picture covers (x, y), the later one where two do,
// as the later stamp wins in the collision map; null for none.
const LevelObject* staticat(const CheckedLevel& level, int x, int y) {
  const LevelObject* found = nullptr;
  for (const LevelObject& o : level.objects)
    if (isstatic(o) && covers(o, x, y)) found = &o;
  return found;
}

// The start base the ship stands over: the first solid pixel straight below
// its centre, within reach of a gentle drop, belongs to it. Null when that
// pixel is rock or another object, or there is none.
const LevelObject* startbaseof(const CheckedLevel& level, const LevelObject& ship) {
  const int gap = maxstartgap();
  for (int row = ship.y + 1; row <= ship.y + ShipRadiusPixels + gap; row++) {
    if (const LevelObject* o = staticat(level, ship.x, row)) return isstartbase(*o) ? o : nullptr;
    if (getpixel(level.rock, ship.x, row) != 0) return nullptr;
  }
  return nullptr;
}

// The record an overlap is reported on, and the text naming the other one;
// 0 when the pair is allowed to touch.
Problem overlapproblem(const CheckedLevel& level, const LevelObject& earlier, const LevelObject& later) {
  const LevelObject* ship = earlier.letter == ShipRecord ? &earlier : later.letter == ShipRecord ? &later : nullptr;
  if (ship) {
    const LevelObject& other = ship == &earlier ? later : earlier;
    if (other.letter == ShipRecord || &other == startbaseof(level, *ship)) return {0, ""};
    return {ship->record, "the ship overlaps " + naming(other)};
  }
  if (earlier.letter == EnemyRecord && later.letter == EnemyRecord) return {0, ""};
  if (earlier.letter == EnemyRecord) return {earlier.record, "overlaps " + naming(later)};
  if (later.letter == EnemyRecord) return {later.record, "overlaps " + naming(earlier)};
  return {later.record, "its picture overlaps " + naming(earlier)};
}

}  // namespace

int maxstartgap() {
  Particle probe;  // anything that falls: the speed one second of gravity gives it
  ApplyGravity(&probe, 1.0f);
  return static_cast<int>(HitScale * HitScale / (2.0f * probe.velocity.y));
}

std::vector<LevelObject> describeobjects(const std::vector<GameObject*>& objects) {
  std::vector<LevelObject> described;
  PlacedObject record;
  for (GameObject* obj : objects) {
    if (!recordof(obj, record)) continue;
    LevelObject o;
    o.letter = record.letter;
    o.type = record.type;
    o.x = wholepixel(obj->position.x);
    o.y = wholepixel(obj->position.y);
    if (StaticObject* s = dynamic_cast<StaticObject*>(obj)) {
      o.sprite = s->sprite;
      o.picture = s->area();
    } else if (Ship* ship = dynamic_cast<Ship*>(obj)) {
      o.sprite = ship->sprite;
      o.radius = wholepixel(ship->radius);
    } else if (Enemy* e = dynamic_cast<Enemy*>(obj)) {
      o.sprite = e->sprite;
      o.radius = wholepixel(e->radius);
    }
    if (isbody(o) && o.sprite) o.picture = Rect{o.x - o.sprite->w / 2, o.y - o.sprite->h / 2, o.sprite->w, o.sprite->h};
    o.record = int(described.size()) + 1;
    described.push_back(o);
  }
  return described;
}


void checkshipcount(const CheckedLevel& level, std::vector<Problem>& problems) {
  int ships = 0;
  for (const LevelObject& o : level.objects) {
    if (o.letter != ShipRecord) continue;
    if (++ships > 1) problems.push_back({o.record, "a second ship start (S record); there must be exactly one"});
  }
  if (ships == 0) problems.push_back({0, "no ship start (S record)"});
}

void checkexitcount(const CheckedLevel& level, std::vector<Problem>& problems) {
  int exits = 0;
  for (const LevelObject& o : level.objects) {
    if (!isexit(o)) continue;
    if (++exits > 1) problems.push_back({o.record, "a second exit base (T 0); there must be exactly one"});
  }
  if (exits == 0) problems.push_back({0, "no exit base (T 0)"});
}

void checkshipstart(const CheckedLevel& level, std::vector<Problem>& problems) {
  const LevelObject* ship = firstship(level);
  if (!ship) return;
  if (!discfits(level.rock, ship->x, ship->y, ShipRadiusPixels)) {
    problems.push_back({ship->record, "the ship overlaps rock"});
    return;
  }
  const LevelObject* base = startbaseof(level, *ship);
  if (!base)
    problems.push_back({ship->record, "no start base (T 5) just below the ship: put it on one, at most " +
                                          std::to_string(maxstartgap()) + " px above"});
  else if (discoverlaps(ship->x, ship->y, ship->radius - 1, *base))  // resting on it is fine
    problems.push_back({ship->record, "the ship overlaps its start base: start it higher"});
}

void checkinrock(const CheckedLevel& level, std::vector<Problem>& problems) {
  for (const LevelObject& o : level.objects) {
    if (isstatic(o) && pictureinrock(o, level.rock))
      problems.push_back({o.record, "its picture overlaps rock"});
    else if (o.letter == EnemyRecord && !discfits(level.rock, o.x, o.y, o.radius))
      problems.push_back({o.record, "overlaps rock"});
  }
}

void checkoverlaps(const CheckedLevel& level, std::vector<Problem>& problems) {
  const std::vector<LevelObject>& objects = level.objects;
  for (size_t later = 1; later < objects.size(); later++)
    for (size_t earlier = 0; earlier < later; earlier++) {
      if (!touches(objects[earlier], objects[later])) continue;
      Problem p = overlapproblem(level, objects[earlier], objects[later]);
      if (p.record > 0) problems.push_back(p);
    }
}

void checkstanding(const CheckedLevel& level, std::vector<Problem>& problems) {
  for (const LevelObject& o : level.objects)
    if (isstatic(o) && getpixel(level.rock, o.x, o.y) == 0)
      problems.push_back({o.record, "does not stand on rock: the pixel below its position is open cave"});
}

Grid shipreach(const CheckedLevel& level) {
  const LevelObject* ship = firstship(level);
  if (!ship) return Grid(level.solid->w, level.solid->h);
  return floodfill(fitmap(level.solid, ShipRadiusPixels), ship->x, ship->y);
}

bool candock(const Grid& reached, int x, int y) {
  // A ship d pixels straight above the object has its probe |ProbePixels
  // - d| from it, which must be less than the ship's own ProbeDistance.
  for (int d = 1; d < 2 * ProbePixels; d++)
    if (reached.at(x, y - d)) return true;
  return false;
}

void checkreach(const CheckedLevel& level, const Grid& reached, std::vector<Problem>& problems) {
  const LevelObject* ship = firstship(level);
  if (!ship || !reached.at(ship->x, ship->y)) return;
  for (const LevelObject& o : level.objects)
    if (isstatic(o) && !isstartbase(o) && !candock(reached, o.x, o.y))
      problems.push_back({o.record, "the ship cannot reach it from its start"});
}

std::vector<Problem> checklevel(const CheckedLevel& level) {
  std::vector<Problem> problems;
  checkshipcount(level, problems);
  checkexitcount(level, problems);
  checkshipstart(level, problems);
  checkinrock(level, problems);
  checkoverlaps(level, problems);
  checkstanding(level, problems);
  checkreach(level, shipreach(level), problems);
  std::stable_sort(problems.begin(), problems.end(),
                   [](const Problem& a, const Problem& b) { return a.record < b.record; });
  return problems;
}

std::string describe(const Problem& problem, const CheckedLevel& level) {
  if (problem.record <= 0 || problem.record > int(level.objects.size())) return problem.text;
  return naming(level.objects[problem.record - 1]) + ": " + problem.text;
}
