#include "flylevels/run.h"

#include <cstdlib>
#include <iomanip>
#include <iostream>
#include <memory>
#include <sstream>

#include "checks.h"
#include "common.h"
#include "levelcheck/loadlevel.h"
#include "levelcheck/picture.h"
#include "levelcheck/run.h"
#include "manager.h"
#include "map.h"

namespace pilot {

namespace {

// Each level is flown with its own fixed random sequence (the cave's dirt
// and the wibblets' wobble draw on it), so every run flies the same.
const unsigned SeedBase = 1000;
const float SmallestStep = 0.001f;
const float LargestStep = 0.05f;

std::string fixed2(float v) {
  std::ostringstream s;
  s << std::fixed << std::setprecision(2) << v;
  return s.str();
}

bool takevalue(int argc, char** argv, int& i, std::string& value, std::string& why) {
  if (i + 1 >= argc) {
    why = std::string(argv[i]) + " needs a value";
    return false;
  }
  value = argv[++i];
  return true;
}

bool takefiles(const std::vector<std::string>& words, FlyOptions& options, std::string& why) {
  bool numbers = true;
  for (const std::string& w : words) numbers = numbers && islevelnumber(w);
  if (numbers) {
    for (const std::string& w : words) {
      int n = std::atoi(w.c_str());
      if (n > NumLevels) {
        why = "there is no level " + w;
        return false;
      }
      options.levels.push_back(n);
    }
    if (words.empty())
      for (int n = 1; n <= NumLevels; n++) options.levels.push_back(n);
    return true;
  }
  if (words.size() != 2) {
    why = "give level numbers or a map file and an objects file";
    return false;
  }
  options.mapfile = words[0];
  options.objectsfile = words[1];
  return true;
}

std::string killed(const FlightReport& r) {
  static const char* const kinds[] = {"", "blue", "orange", "yellow", "green"};
  int all = 0, dead = 0;
  std::string which;
  for (int t = 1; t <= 4; t++) {
    all += r.wibblets[t];
    dead += r.killed[t];
    if (r.killed[t]) which += (which.empty() ? "" : ", ") + std::to_string(r.killed[t]) + " " + kinds[t];
  }
  std::string s = "wibblets killed " + std::to_string(dead) + " of " + std::to_string(all);
  return which.empty() ? s : s + " (" + which + ")";
}

std::string damage(const FlightReport& r) {
  int touches = 0, hits = 0;
  float hardest = 0;
  for (const Damage& d : r.damage) {
    if (!d.rock) {
      hits++;
      continue;
    }
    touches++;
    hardest = std::max(hardest, d.strength);
  }
  std::string s = "rock touches over 40 px/s " + std::to_string(touches);
  if (touches) s += " (hardest " + std::to_string(int(hardest)) + " px/s)";
  return s + ", hits taken " + std::to_string(hits);
}

std::string tanksused(const FlightReport& r) {
  if (r.tanks.empty()) return "tanks used: none";
  std::string s = "tanks used:";
  for (size_t i = 0; i < r.tanks.size(); i++) s += (i ? ", " : " ") + r.tanks[i];
  return s;
}

// Loads level N with the game's own set-up, its trace lines kept out of the report.
bool loadnumbered(int level, CheckedLevel& checked, std::string& why) {
  std::ostringstream sink;
  std::streambuf* saved = std::cout.rdbuf(sink.rdbuf());
  try {
    initlevel(level);
  } catch (const char* message) {
    std::cout.rdbuf(saved);
    why = message;
    return false;
  }
  std::cout.rdbuf(saved);
  checked.solid = collisionmap;
  checked.objects = collectobjects();
  return true;
}

// The level overview with the flown path in yellow and a red ring where
// the ship lost shield.
bool writetrail(const std::string& filename, const CheckedLevel& level, const FlightReport& report) {
  BITMAP* picture = makeoverview(background, level, shipreach(level));
  const float scale = float(PictureSize) / background->w;
  const int yellow = makecol(255, 230, 40), red = makecol(255, 40, 40);
  for (size_t i = 1; i < report.trail.size(); i++) {
    Point a = report.trail[i - 1], b = report.trail[i];
    line(picture, int(a.x * scale), int(a.y * scale), int(b.x * scale), int(b.y * scale), yellow);
  }
  for (const Damage& d : report.damage) circle(picture, int(d.at.x * scale), int(d.at.y * scale), 4, red);
  bool written = save_bitmap(filename.c_str(), picture, nullptr) == 0;
  destroy_bitmap(picture);
  return written;
}

// Flies one loaded level and writes its line; false when it does not pass.
bool flyone(const std::string& name, const CheckedLevel& level, const FlyOptions& options, const std::string& picture,
            std::ostream& out) {
  if (options.log) out << name << ":\n";
  FlightReport report = flylevel(options.flight, options.log ? &out : nullptr);
  out << name << ": " << describeflight(report) << std::endl;
  if (!picture.empty() && !writetrail(picture, level, report))
    out << "  could not write the picture " << picture << std::endl;
  return flightpasses(report);
}

}  // namespace

const char* flyusage() {
  return "usage: flylevels [--data FILE] [--picture FILE] [--step SECONDS] [--log] [N...]\n"
         "       flylevels [--data FILE] [--picture FILE] [--step SECONDS] [--log] MAPFILE OBJECTSFILE\n"
         "Flies levels N (all six when none is named) or the two files given from the\n"
         "start base to the exit pad and reports each flight. --picture writes the\n"
         "overview with the flown path (.bmp, .pcx or .tga; with several levels the\n"
         "level number goes before the extension); --step sets the game seconds per\n"
         "frame (default 0.01); --log tells what the pilot does as it flies.\n"
         "Exit status: 0 all finished with at least 0.25 hydrogen and oxygen left,\n"
         "1 otherwise, 2 bad usage or no data file.\n";
}

bool parseflyoptions(int argc, char** argv, FlyOptions& options, std::string& why) {
  std::vector<std::string> words;
  for (int i = 1; i < argc; i++) {
    const std::string arg = argv[i];
    std::string value;
    if (arg == "--data" || arg == "--picture") {
      if (!takevalue(argc, argv, i, arg == "--data" ? options.datafile : options.picture, why)) return false;
    } else if (arg == "--step") {
      if (!takevalue(argc, argv, i, value, why)) return false;
      char* end = nullptr;
      options.flight.step = std::strtof(value.c_str(), &end);
      if (*end || !(options.flight.step >= SmallestStep && options.flight.step <= LargestStep)) {
        why = "the step must be a number of seconds from 0.001 to 0.05";
        return false;
      }
    } else if (arg == "--log") {
      options.log = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      why = "unknown option " + arg;
      return false;
    } else {
      words.push_back(arg);
    }
  }
  if (!options.picture.empty() && !ispicturename(options.picture)) {
    why = "the picture must be a .bmp, .pcx or .tga file: " + options.picture;
    return false;
  }
  return takefiles(words, options, why);
}

std::string describeflight(const FlightReport& r) {
  std::string s = r.finished ? "finished in " + fixed2(r.time) + " s" : "NOT FINISHED (" + r.why + " after " + fixed2(r.time) + " s)";
  s += ", under fire " + fixed2(r.underfire) + " s";
  s += ", shield " + fixed2(r.shield) + ", hydrogen " + fixed2(r.hydrogen) + ", oxygen " + fixed2(r.oxygen) + ", acid " +
       fixed2(r.acid) + (r.acidtype == Hydrofluoric ? " hydrofluoric" : " hydrochloric");
  s += ", " + killed(r) + ", " + damage(r) + ", " + tanksused(r);
  if (r.finished && (r.hydrogen < FuelMargin || r.oxygen < FuelMargin))
    s += "; BELOW THE FUEL MARGIN: less than " + fixed2(FuelMargin) + " hydrogen or oxygen left at the exit";
  return s;
}

bool flightpasses(const FlightReport& r) { return r.finished && r.hydrogen >= FuelMargin && r.oxygen >= FuelMargin; }

std::string picturefor(const std::string& picture, int level, bool several) {
  if (picture.empty() || !several) return picture;
  const size_t dot = picture.rfind('.');
  return picture.substr(0, dot) + std::to_string(level) + picture.substr(dot);
}

int flyandreport(const FlyOptions& options, std::ostream& out) {
  int passed = 0, flown = 0;
  if (options.levels.empty()) {
    srand(SeedBase);
    LoadedLevel loaded;
    Problem error;
    if (!loadlevel(options.mapfile.c_str(), options.objectsfile.c_str(), loaded, error)) {
      out << options.mapfile << " + " << options.objectsfile << ": load error: " << error.text << std::endl;
      return FlownShort;
    }
    flown = 1;
    passed += flyone(options.mapfile + " + " + options.objectsfile, loaded.level, options, options.picture, out);
  }
  for (int level : options.levels) {
    srand(SeedBase + unsigned(level));
    CheckedLevel checked;
    std::string why;
    flown++;
    const std::string name = "level " + std::to_string(level);
    if (!loadnumbered(level, checked, why)) {
      out << name << ": load error: " << why << std::endl;
      continue;
    }
    passed += flyone(name, checked, options, picturefor(options.picture, level, options.levels.size() > 1), out);
    initmanager();
  }
  out << passed << " of " << flown << (flown == 1 ? " level" : " levels") << " flown to the exit with the fuel margin kept"
      << std::endl;
  return passed == flown ? FlownClean : FlownShort;
}

int flylevelsmain(int argc, char** argv) {
  FlyOptions options;
  std::string why;
  if (!parseflyoptions(argc, argv, options, why)) {
    std::cerr << "flylevels: " << why << "\n" << flyusage();
    return FlownUsage;
  }
  return runwithdata("flylevels", options.datafile, FlownUsage, [&] { return flyandreport(options, std::cout); });
}

}  // namespace pilot
