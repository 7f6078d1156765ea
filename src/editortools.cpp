#include "editortools.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <streambuf>

#include "checks.h"
#include "map.h"
#include "manager.h"
#include "pilotflight.h"
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
// numbers are those by the rings. `total` counts those not kept too.
std::string summarise(const std::vector<FoundProblem>& problems, long long total) {
  if (problems.empty()) return "Check: no problems found";
  std::ostringstream s;
  s << total << (total == 1 ? " problem. 1: " : " problems. 1: ") << problems[0].words;
  return s.str();
}

// Hands each line written to it to a function, without its line end or
// the leading spaces.
class LineSink : public std::streambuf {
 public:
  explicit LineSink(const std::function<void(const std::string&)>& take) : take(take) {}

 protected:
  int overflow(int c) override {
    if (c == '\n') {
      const size_t start = line.find_first_not_of(' ');
      if (start != std::string::npos) take(line.substr(start));
      line.clear();
    } else if (c != EOF) {
      line += static_cast<char>(c);
    }
    return c;
  }

 private:
  const std::function<void(const std::string&)>& take;
  std::string line;
};

int percent(float share) { return static_cast<int>(std::lround(100 * std::max(0.0f, share))); }

// "The pilot finished in 80 s with shield 100 %, hydrogen 76 %, oxygen 70 %
// left", or where and why it stopped.
std::string resultline(const pilot::FlightReport& r) {
  std::ostringstream s;
  const int seconds = static_cast<int>(std::lround(r.time));
  if (r.finished)
    s << "The pilot finished in " << seconds << " s";
  else if (r.time == 0)
    return "The pilot cannot fly this level: " + r.why;
  else
    s << "The pilot stopped at (" << wholepixel(r.stop.x) << ", " << wholepixel(r.stop.y) << ") after " << seconds
      << " s: " << r.why;
  s << (r.finished ? " with" : ";") << " shield " << percent(r.shield) << " %, hydrogen " << percent(r.hydrogen)
    << " %, oxygen " << percent(r.oxygen) << " % left";
  return s.str();
}

// The seed of the pilot's flights, so that a level flies alike each time.
const unsigned PilotSeed = 1;

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

PilotOutcome pilotflight(CavePicture& picture, const Cave& cave,
                         const std::function<void(const std::string&)>& progress) {
  const std::vector<PlacedObject> records = placedobjects();
  picture.restamp(cave);
  initmanager();
  addplacedobjects(records);
  srand(PilotSeed);
  LineSink sink(progress);
  std::ostream log(&sink);
  const pilot::FlightReport report = pilot::flylevel(pilot::FlightSettings{}, &log);
  initmanager();
  addplacedobjects(records);
  removedeads();
  refreshvscreen();
  clear_keybuf();  // what was typed meanwhile is not for the editor
  return {resultline(report), report.trail};
}

CheckOutcome checkeditedlevel(CavePicture& picture, const Cave& cave) {
  const auto start = std::chrono::steady_clock::now();
  picture.restamp(cave);
  CheckedLevel level;
  level.rock = picture.caveonly();
  level.solid = collisionmap;
  level.objects = describeobjects(levelobjects());
  level.cave = &cave;
  const ProblemList problems = checklevel(level);
  CheckOutcome outcome;
  for (const Problem& p : problems) {
    outcome.problems.push_back(found(p, level));
    const FoundProblem& f = outcome.problems.back();
    if (f.placed) outcome.marks.push_back({f.x, f.y, static_cast<int>(outcome.problems.size())});
  }
  outcome.summary = summarise(outcome.problems, problems.total());
  outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return outcome;
}
