#include "editortools.h"

#include <sstream>

#include "checks.h"
#include "map.h"
#include "manager.h"
#include "playerinfo.h"

namespace {

bool hasship(const std::vector<PlacedObject>& records) {
  for (const PlacedObject& r : records)
    if (r.letter == ShipRecord) return true;
  return false;
}

// The level as a new game flies it, from the start of its frame loop.
void fly(const std::vector<PlacedObject>& records) {
  const PlayerInfo saved = playerinfo;
  playerinfo.init();
  initmanager();
  addplacedobjects(records);
  mainloop();
  playerinfo = saved;
}

// The middle of what the game draws for the object a problem names.
CheckMark markfor(const LevelObject& o, int number) {
  if (o.picture.w > 0 && o.picture.h > 0)
    return {o.picture.x + o.picture.w / 2, o.picture.y + o.picture.h / 2, number};
  return {o.x, o.y, number};
}

// "2 problems. 1: hydrogen tank at (700, 420): its picture overlaps rock";
// the numbers are those by the rings.
std::string summarise(const ProblemList& problems, const CheckedLevel& level) {
  if (problems.empty()) return "Check: no problems found";
  const Problem& first = problems.kept().front();
  std::ostringstream s;
  s << problems.total() << (problems.total() == 1 ? " problem. 1: " : " problems. 1: ");
  if (first.record > 0 && first.record <= static_cast<int>(level.objects.size())) {
    const LevelObject& o = level.objects[first.record - 1];
    s << objectname(o.letter, o.type) << " at (" << o.x << ", " << o.y << "): ";
  }
  s << first.text;
  return s.str();
}

}  // namespace

bool testflight(CavePicture& picture, const Cave& cave) {
  const std::vector<PlacedObject> records = placedobjects();
  if (!hasship(records)) return false;
  // Bases and tanks are solid where they stand now, not where the level's
  // file first put them.
  picture.restamp(cave);
  show_mouse(nullptr);
  fly(records);
  initmanager();
  addplacedobjects(records);
  removedeads();
  refreshvscreen();
  return true;
}

CheckOutcome checkeditedlevel(CavePicture& picture, const Cave& cave) {
  picture.restamp(cave);
  CheckedLevel level;
  level.rock = picture.caveonly();
  level.solid = collisionmap;
  level.objects = describeobjects(levelobjects());
  const ProblemList problems = checklevel(level);
  CheckOutcome outcome;
  for (size_t i = 0; i < problems.kept().size(); i++) {
    const int record = problems.kept()[i].record;
    if (record > 0 && record <= static_cast<int>(level.objects.size()))
      outcome.marks.push_back(markfor(level.objects[record - 1], static_cast<int>(i) + 1));
  }
  outcome.summary = summarise(problems, level);
  return outcome;
}
