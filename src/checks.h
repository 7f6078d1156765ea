#pragma once

#include <allegro.h>

#include <string>
#include <vector>

#include "classes.h"
#include "map.h"
#include "reach.h"

// The level designer's checks: everything that makes a level unplayable
// although the game loads it. They work on the collision maps and a plain
// list of the objects, so they do not care how the level was loaded.

// One record of the objects file as the game created it.
struct LevelObject {
  int record = 0;   // 1-based position in the objects file
  char letter = 0;  // ShipRecord, StaticRecord or EnemyRecord
  int type = 0;     // StaticType or EnemyType number; 0 for the ship
  int x = 0;        // position truncated to whole pixels, as the game draws it
  int y = 0;
  BITMAP* sprite = nullptr;  // the picture it was created with (borrowed)
  Rect picture{0, 0, 0, 0};  // where the game draws that picture
  int radius = 0;            // ship and wibblets: collision radius
};

// One thing wrong with a level. record 0: the level as a whole.
struct Problem {
  int record = 0;
  std::string text;
  // A problem of no record may still have a place: a point of the cave.
  bool placed = false;
  int x = 0, y = 0;
};

// The problems of a level in report order: by record, the whole level's
// first, and within a record in the order they were found. Only the first
// MaxKept are kept; the rest are only counted, so that a level of thousands
// of objects piled on one spot costs little memory.
class ProblemList {
 public:
  static constexpr size_t MaxKept = 100;

  void push_back(const Problem& problem);
  void add(const std::vector<Problem>& problems);
  // True when a problem of `record` found now would be kept. A check that
  // may find very many counts those it need not word with countmore.
  bool wants(int record) const;
  void countmore(long long n) { more += n; }

  const std::vector<Problem>& kept() const { return list; }
  long long total() const { return static_cast<long long>(list.size()) + more; }
  bool empty() const { return list.empty(); }
  std::vector<Problem>::const_iterator begin() const { return list.begin(); }
  std::vector<Problem>::const_iterator end() const { return list.end(); }

 private:
  std::vector<Problem> list;
  long long more = 0;
};

// What a check needs to know about a loaded level.
struct CheckedLevel {
  BITMAP* rock = nullptr;   // collision map of the cave alone (1 rock, 0 open)
  BITMAP* solid = nullptr;  // collision map with the bases and tanks stamped in
  std::vector<LevelObject> objects;  // in file order
  const std::vector<Polygon>* cave = nullptr;  // its polygons; null: not checked
};

// How close a cave point may come to the level picture's edge: the lit rim
// drawn round a cavern needs the room.
constexpr int CaveEdgeMargin = 20;

// The checks' view of the ships, bases, tanks and wibblets among `objects`
// (other objects are left out), numbered from 1 in list order: the order
// InitObjects and the editor's save write them in.
std::vector<LevelObject> describeobjects(const std::vector<GameObject*>& objects);

// The ship's radius and probe distance in whole pixels.
constexpr int ShipRadiusPixels = static_cast<int>(ShipRadius);
constexpr int ProbePixels = static_cast<int>(ProbeDistance);
// Largest gap in pixels between the bottom of the starting ship and its
// start base: falling that far under the game's gravity it lands at
// HitScale, the hardest knock that costs no shield (20 px today).
int maxstartgap();

// Exactly one S record; no S record is a problem of the whole level.
void checkshipcount(const CheckedLevel& level, std::vector<Problem>& problems);
// Exactly one exit base (T 0).
void checkexitcount(const CheckedLevel& level, std::vector<Problem>& problems);
// The ship starts clear of rock, hovering just above a start base (T 5)
// and not sunk into it.
void checkshipstart(const CheckedLevel& level, std::vector<Problem>& problems);
// No base or tank picture and no wibblet overlaps rock.
void checkinrock(const CheckedLevel& level, std::vector<Problem>& problems);
// No base or tank picture overlaps another, no wibblet overlaps a base or
// tank, and the ship touches nothing but its start base. Reported on the
// later of two bases or tanks, otherwise on the wibblet or the ship, once
// for every pair, naming the other. Objects are compared through a grid of
// the level and copies on one spot as one, so time and memory grow with the
// objects and the problems kept, not with the pairs.
void checkoverlaps(const CheckedLevel& level, ProblemList& problems);
// Every base and tank stands on rock: the pixel below its position is rock.
void checkstanding(const CheckedLevel& level, std::vector<Problem>& problems);
// The ship can fly from its start to a docking place over the exit base
// and over every tank. `reached` is the flood fill of the ship's centre.
void checkreach(const CheckedLevel& level, const Grid& reached, std::vector<Problem>& problems);

// The level has a cave: at least one polygon. Only when level.cave is set.
void checkhascave(const CheckedLevel& level, std::vector<Problem>& problems);
// Every cave point lies inside the level picture (as large as level.rock)
// and CaveEdgeMargin or more from its edges; reported
// once a polygon, at its first point out of bounds. Only when level.cave is
// set.
void checkcaveedges(const CheckedLevel& level, std::vector<Problem>& problems);
// No wibblet can fire on a ship landed on the exit base or the start base:
// none is within its range of the ship's landing spot with a clear line of
// sight to it. Reported on the base, once for each wibblet; bases landed on
// at one spot and wibblets on one spot are looked at once for all copies.
void checkpadfire(const CheckedLevel& level, ProblemList& problems);

// Where the centre of a ship that came down straight onto a base rests: on
// the highest of its picture's opaque pixels under the ship's disc.
Point landingspot(const LevelObject& base);
// True when no solid pixel of `solid` lies on the straight line between
// the two points; a line leaving the picture is blocked.
bool clearsight(BITMAP* solid, Point from, Point to);
// True when a wibblet whose centre is at `wibblet` fires on a ship whose
// centre is at `ship`: the ship is within its range and in clear sight.
bool wibbletcanfire(BITMAP* solid, Point wibblet, Point ship);

// Where the centre of the ship can fly from its start (the first S record);
// empty when the level has no ship or it starts in rock.
Grid shipreach(const CheckedLevel& level);

// True when a ship hovering somewhere in `reached` straight above a base or
// tank standing at (x, y) has the object within ProbeDistance of its probe.
bool candock(const Grid& reached, int x, int y);

// All of the checks above, in file order of the records they name, the
// first ProblemList::MaxKept kept whole.
ProblemList checklevel(const CheckedLevel& level);

// "record 3, hydrogen tank at (700, 420): ..." or the bare text for the
// whole level.
std::string describe(const Problem& problem, const CheckedLevel& level);

// The problem in a level designer's words, naming objects by kind and place
// without record numbers or file letters: "the exit base at (1650, 1201)
// overlaps the hydrogen tank at (1620, 1201)".
std::string plaindescribe(const Problem& problem, const CheckedLevel& level);
