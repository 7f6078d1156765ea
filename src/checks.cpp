#include "checks.h"

#include <algorithm>
#include <sstream>

namespace {

// Values the game stamps into the collision map for bases and tanks.
const int StaticExit = 0;
const int StaticStart = 5;

const char* const staticnames[] = {"exit base", "hydrogen tank", "oxygen tank",
                                   "hydrochloric acid tank", "hydrofluoric acid tank", "start base"};
const char* const enemynames[] = {"blue wibblet", "orange wibblet", "yellow wibblet", "green wibblet"};

bool isstatic(const LevelObject& o) { return o.letter == 'T'; }
bool isexit(const LevelObject& o) { return isstatic(o) && o.type == StaticExit; }

const LevelObject* firstship(const CheckedLevel& level) {
  for (const LevelObject& o : level.objects)
    if (o.letter == 'S') return &o;
  return nullptr;
}

// True when an opaque pixel of a base or tank picture lies on rock.
bool pictureinrock(const LevelObject& o, BITMAP* rock) {
  if (!o.sprite) return false;
  const int left = o.x - o.sprite->w / 2, top = o.y - o.sprite->h;
  const int mask = bitmap_mask_color(o.sprite);
  for (int y = 0; y < o.sprite->h; y++)
    for (int x = 0; x < o.sprite->w; x++)
      if (getpixel(o.sprite, x, y) != mask && getpixel(rock, left + x, top + y) != 0) return true;
  return false;
}

// The first solid value straight below the ship's centre within reach of a
// gentle drop, or 0 when there is only open cave down there.
int solidbelow(BITMAP* solid, int x, int y) {
  for (int row = y + 1; row <= y + ShipRadiusPixels + MaxStartGap; row++) {
    const int value = getpixel(solid, x, row);
    if (value != 0) return value;
  }
  return 0;
}

}  // namespace

std::string objectname(char letter, int type) {
  if (letter == 'S') return "ship";
  if (letter == 'T' && type >= 0 && type <= 5) return staticnames[type];
  if (letter == 'E' && type >= 1 && type <= 4) return enemynames[type - 1];
  return "object";
}

void checkshipcount(const CheckedLevel& level, std::vector<Problem>& problems) {
  int ships = 0;
  for (const LevelObject& o : level.objects) {
    if (o.letter != 'S') continue;
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
  if (!discfits(level.solid, ship->x, ship->y, ShipRadiusPixels)) {
    problems.push_back({ship->record, "the ship overlaps rock, a base or a tank"});
    return;
  }
  if (solidbelow(level.solid, ship->x, ship->y) != StaticStampBase + StaticStart)
    problems.push_back({ship->record, "no start base (T 5) just below the ship: put it on one, at most 20 px above"});
}

void checkinrock(const CheckedLevel& level, std::vector<Problem>& problems) {
  for (const LevelObject& o : level.objects) {
    if (isstatic(o) && pictureinrock(o, level.rock))
      problems.push_back({o.record, "its picture overlaps rock"});
    else if (o.letter == 'E' && !discfits(level.solid, o.x, o.y, o.radius))
      problems.push_back({o.record, "overlaps rock, a base or a tank"});
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
    if (isstatic(o) && o.type != StaticStart && !candock(reached, o.x, o.y))
      problems.push_back({o.record, "the ship cannot reach it from its start"});
}

std::vector<Problem> checklevel(const CheckedLevel& level) {
  std::vector<Problem> problems;
  checkshipcount(level, problems);
  checkexitcount(level, problems);
  checkshipstart(level, problems);
  checkinrock(level, problems);
  checkstanding(level, problems);
  checkreach(level, shipreach(level), problems);
  std::stable_sort(problems.begin(), problems.end(),
                   [](const Problem& a, const Problem& b) { return a.record < b.record; });
  return problems;
}

std::string describe(const Problem& problem, const CheckedLevel& level) {
  if (problem.record <= 0 || problem.record > int(level.objects.size())) return problem.text;
  const LevelObject& o = level.objects[problem.record - 1];
  std::ostringstream s;
  s << "record " << o.record << ", " << objectname(o.letter, o.type) << " at (" << o.x << ", " << o.y
    << "): " << problem.text;
  return s.str();
}
