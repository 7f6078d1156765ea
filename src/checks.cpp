#include "checks.h"

#include <algorithm>
#include <cmath>
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

bool startswith(const std::string& text, const char* start) { return text.rfind(start, 0) == 0; }

// A check's text with the objects file's words taken out: another object's
// "record 7, exit base at (...)" becomes "the exit base at (...)", and the
// letters " (S record)" and " (T 0)" go.
std::string withoutfileletters(std::string text) {
  for (size_t at = text.find("record "); at != std::string::npos; at = text.find("record ", at + 1)) {
    const size_t end = text.find_first_not_of("0123456789", at + 7);
    if (end != at + 7 && end != std::string::npos && text.compare(end, 2, ", ") == 0)
      text.replace(at, end + 2 - at, "the ");
  }
  for (size_t at = text.find(" ("); at != std::string::npos; at = text.find(" (", at + 1)) {
    const size_t end = text.find(')', at);
    if (end == std::string::npos) break;
    const std::string inside = text.substr(at + 2, end - at - 2);
    if (inside == "S record" || (inside.size() > 2 && inside.compare(0, 2, "T ") == 0)) text.erase(at, end + 1 - at);
  }
  return text;
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

Point landingspot(const LevelObject& base) {
  const int r = ShipRadiusPixels;
  float centre = float(base.y);
  for (int dx = -r; dx <= r; dx++)
    for (int y = base.picture.y; y < base.picture.y + base.picture.h; y++)
      if (covers(base, base.x + dx, y)) {
        centre = std::min(centre, float(y) - std::sqrt(float(r * r - dx * dx)));
        break;
      }
  return {float(base.x), centre};
}

bool clearsight(BITMAP* solid, Point from, Point to) {
  const float dx = to.x - from.x, dy = to.y - from.y;
  const int steps = static_cast<int>(std::ceil(std::max(std::fabs(dx), std::fabs(dy))));
  for (int i = 0; i <= steps; i++) {
    const float t = steps ? float(i) / float(steps) : 0.0f;
    const int x = wholepixel(from.x + dx * t), y = wholepixel(from.y + dy * t);
    if (x < 0 || y < 0 || x >= solid->w || y >= solid->h || getpixel(solid, x, y) != 0) return false;
  }
  return true;
}

bool wibbletcanfire(BITMAP* solid, Point wibblet, Point ship) {
  const float dx = ship.x - wibblet.x, dy = ship.y - wibblet.y;
  return dx * dx + dy * dy <= WibbletRange * WibbletRange && clearsight(solid, wibblet, ship);
}

void checkpadfire(const CheckedLevel& level, std::vector<Problem>& problems) {
  for (const LevelObject& pad : level.objects) {
    if (!isexit(pad) && !isstartbase(pad)) continue;
    const Point spot = landingspot(pad);
    for (const LevelObject& w : level.objects) {
      const Point at{float(w.x), float(w.y)};
      if (w.letter != EnemyRecord || !wibbletcanfire(level.solid, at, spot)) continue;
      const int away = static_cast<int>(std::lround(std::hypot(at.x - spot.x, at.y - spot.y)));
      problems.push_back({pad.record, "a ship landed on it is under fire from " + naming(w) + ", " +
                                          std::to_string(away) + " px away in clear sight"});
    }
  }
}

void checkstanding(const CheckedLevel& level, std::vector<Problem>& problems) {
  for (const LevelObject& o : level.objects)
    if (isstatic(o) && getpixel(level.rock, o.x, o.y) == 0)
      problems.push_back({o.record, "does not stand on rock: the pixel below its position is open cave"});
}

void checkhascave(const CheckedLevel& level, std::vector<Problem>& problems) {
  if (level.cave && level.cave->empty()) problems.push_back({0, "the level has no cave: it needs a cavern to fly in"});
}

void checkcaveedges(const CheckedLevel& level, std::vector<Problem>& problems) {
  if (!level.cave) return;
  const float m = CaveEdgeMargin, w = float(level.rock->w), h = float(level.rock->h);
  for (size_t i = 0; i < level.cave->size(); i++)
    for (const Point& p : (*level.cave)[i].points) {
      const bool outside = !(p.x >= 0 && p.y >= 0 && p.x <= w && p.y <= h);  // NaN too
      if (!outside && p.x >= m && p.y >= m && p.x <= w - m && p.y <= h - m) continue;
      const int x = wholepixel(p.x), y = wholepixel(p.y);
      std::ostringstream s;
      s << "cave polygon " << i + 1 << (outside ? " reaches outside the level picture" : " comes within "
          + std::to_string(CaveEdgeMargin) + " px of the picture's edge") << " at (" << x << ", " << y << ")"
        << (outside ? "" : ", leaving no room for its rim");
      problems.push_back({0, s.str(), true, x, y});
      break;
    }
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
  checkhascave(level, problems);
  checkcaveedges(level, problems);
  checkpadfire(level, problems);
  std::stable_sort(problems.begin(), problems.end(),
                   [](const Problem& a, const Problem& b) { return a.record < b.record; });
  return problems;
}

std::string describe(const Problem& problem, const CheckedLevel& level) {
  if (problem.record <= 0 || problem.record > int(level.objects.size())) return problem.text;
  return naming(level.objects[problem.record - 1]) + ": " + problem.text;
}

std::string plaindescribe(const Problem& problem, const CheckedLevel& level) {
  std::string text = withoutfileletters(problem.text);
  if (problem.record <= 0 || problem.record > int(level.objects.size())) return text;
  const LevelObject& o = level.objects[problem.record - 1];
  const std::string subject = "the " + objectname(o.letter, o.type) + " at (" + std::to_string(o.x) + ", " +
                              std::to_string(o.y) + ")";
  // "its picture overlaps X" reads "the tank at (...) overlaps X", and the
  // ship's "the ship overlaps X" "the ship at (...) overlaps X".
  if (startswith(text, "its picture ")) text.erase(0, 12);
  if (o.letter == ShipRecord && startswith(text, "the ship ")) return subject + text.substr(8);
  if (startswith(text, "overlaps ") || startswith(text, "does not ")) return subject + " " + text;
  return subject + ": " + text;
}
