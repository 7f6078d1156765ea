#include "levelcheck/run.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <iostream>

#include "data.h"
#include "gamedata.h"
#include "map.h"
#include "levelcheck/loadlevel.h"
#include "levelcheck/picture.h"

namespace {

// Takes "--data FILE" or "--picture FILE" at argv[i]; advances i past it.
bool takeoption(int argc, char** argv, int& i, Options& options, std::string& why) {
  const std::string name = argv[i];
  if (i + 1 >= argc) {
    why = name + " needs a file name";
    return false;
  }
  (name == "--data" ? options.datafile : options.picture) = argv[++i];
  return true;
}

bool takefiles(const std::vector<std::string>& files, Options& options, std::string& why) {
  if (files.size() == 1 && islevelnumber(files[0])) {
    const int level = std::atoi(files[0].c_str());
    options.mapfile = levelmapname(level);
    options.objectsfile = levelobjectsname(level);
    return true;
  }
  if (files.size() == 2) {
    options.mapfile = files[0];
    options.objectsfile = files[1];
    return true;
  }
  why = files.size() == 1 ? "not a level number: " + files[0] : "give a level number or a map file and an objects file";
  return false;
}

void reportproblems(const ProblemList& problems, const CheckedLevel& level, std::ostream& out) {
  for (const Problem& p : problems) out << "  " << describe(p, level) << "\n";
  const long long more = problems.total() - static_cast<long long>(problems.kept().size());
  if (more > 0) out << "  and " << more << " more\n";
  if (problems.empty())
    out << "OK: no problems found\n";
  else
    out << problems.total() << (problems.total() == 1 ? " problem" : " problems") << " found\n";
}

}  // namespace

bool islevelnumber(const std::string& s) {
  if (s.empty() || s.size() > 3) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return s[0] != '0';
}

// Allegro writes pictures by the file name's extension.
bool ispicturename(const std::string& name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos) return false;
  std::string ext = name.substr(dot + 1);
  for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
  return ext == "bmp" || ext == "pcx" || ext == "tga";
}

const char* usage() {
  return "usage: levelcheck [--data FILE] [--picture FILE] N\n"
         "       levelcheck [--data FILE] [--picture FILE] MAPFILE OBJECTSFILE\n"
         "Checks level N (levels/levelN.txt and levels/levelNobjects.txt) or the two\n"
         "files given; --picture writes an overview picture (.bmp, .pcx or .tga).\n"
         "Exit status: 0 clean, 1 problems found, 2 bad usage or no data file.\n";
}

bool parseoptions(int argc, char** argv, Options& options, std::string& why) {
  std::vector<std::string> files;
  for (int i = 1; i < argc; i++) {
    const std::string arg = argv[i];
    if (arg == "--data" || arg == "--picture") {
      if (!takeoption(argc, argv, i, options, why)) return false;
    } else if (arg.size() > 1 && arg[0] == '-') {
      why = "unknown option " + arg;
      return false;
    } else {
      files.push_back(arg);
    }
  }
  if (!options.picture.empty() && !ispicturename(options.picture)) {
    why = "the picture must be a .bmp, .pcx or .tga file: " + options.picture;
    return false;
  }
  return takefiles(files, options, why);
}

bool startallegro(const std::string& datafilename, std::string& why) {
  if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0) {
    why = "Allegro would not start";
    return false;
  }
  set_color_depth(32);
  set_color_conversion(COLORCONV_16_TO_32);
  datafile = loaddatafile(datafilename.c_str(), why);
  return datafile != nullptr;
}

int checkandreport(const Options& options, std::ostream& out) {
  out << "Checking " << options.mapfile << " and " << options.objectsfile << "\n";
  LoadedLevel loaded;
  Problem error;
  if (!loadlevel(options.mapfile.c_str(), options.objectsfile.c_str(), loaded, error)) {
    out << "  " << (error.record > 0 ? "record " + std::to_string(error.record) + ": " : "")
        << "load error: " << error.text << "\n1 problem found\n";
    return ExitProblems;
  }
  // One level a run: the textured rock kept for the next set-up is room
  // the check can use.
  forgetlevelrock();
  const ProblemList problems = checklevel(loaded.level);
  reportproblems(problems, loaded.level, out);
  if (!options.picture.empty()) {
    if (!writeoverview(options.picture.c_str(), background, loaded.level, shipreach(loaded.level))) {
      out << "Could not write the overview picture " << options.picture << "\n";
      return ExitUsage;
    }
    out << "Overview picture written to " << options.picture << "\n";
  }
  return problems.empty() ? ExitClean : ExitProblems;
}

int runwithdata(const char* tool, const std::string& datafilename, int failstatus, const std::function<int()>& work) {
  std::string why;
  if (!startallegro(datafilename, why)) {
    std::cerr << tool << ": " << datafilename << ": " << why << "\n";
    return failstatus;
  }
  try {
    return work();
  } catch (const char* message) {
    std::cerr << tool << ": " << message << "\n";
    return failstatus;
  }
}

int levelcheckmain(int argc, char** argv) {
  Options options;
  std::string why;
  if (!parseoptions(argc, argv, options, why)) {
    std::cerr << "levelcheck: " << why << "\n" << usage();
    return ExitUsage;
  }
  return runwithdata("levelcheck", options.datafile, ExitUsage, [&] { return checkandreport(options, std::cout); });
}
