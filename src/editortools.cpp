#include "editortools.h"

#include <chrono>
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

// The middle of what the game draws for the object a problem names, or the
// place a problem of the whole level names.
FoundProblem found(const Problem& p, const CheckedLevel& level) {
  FoundProblem f{plaindescribe(p, level), p.placed, p.x, p.y};
  if (p.record <= 0 || p.record > static_cast<int>(level.objects.size())) return f;
  const LevelObject& o = level.objects[p.record - 1];
  const bool pictured = o.picture.w > 0 && o.picture.h > 0;
  f.placed = true;
  f.x = pictured ? o.picture.x + o.picture.w / 2 : o.x;
  f.y = pictured ? o.picture.y + o.picture.h / 2 : o.y;
  return f;
}

// "2 problems. 1: the hydrogen tank at (700, 420) overlaps rock"; the
// numbers are those by the rings.
std::string summarise(const std::vector<FoundProblem>& problems) {
  if (problems.empty()) return "Check: no problems found";
  std::ostringstream s;
  s << problems.size() << (problems.size() == 1 ? " problem. 1: " : " problems. 1: ") << problems[0].words;
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
  clear_keybuf();  // what was typed in flight is not for the editor
  return true;
}

CheckOutcome checkeditedlevel(CavePicture& picture, const Cave& cave) {
  const auto start = std::chrono::steady_clock::now();
  picture.restamp(cave);
  CheckedLevel level;
  level.rock = picture.caveonly();
  level.solid = collisionmap;
  level.objects = describeobjects(levelobjects());
  level.cave = &cave;
  CheckOutcome outcome;
  for (const Problem& p : checklevel(level)) {
    outcome.problems.push_back(found(p, level));
    const FoundProblem& f = outcome.problems.back();
    if (f.placed) outcome.marks.push_back({f.x, f.y, static_cast<int>(outcome.problems.size())});
  }
  outcome.summary = summarise(outcome.problems);
  outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return outcome;
}
