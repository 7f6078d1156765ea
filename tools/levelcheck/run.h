#pragma once

#include <functional>
#include <iosfwd>
#include <string>

// The levelcheck command: what it was asked to do and the run itself.
//
//   levelcheck [--data FILE] [--picture FILE] N
//   levelcheck [--data FILE] [--picture FILE] MAPFILE OBJECTSFILE
//
// Exit status: 0 the level is clean, 1 it has problems (load errors
// included), 2 bad usage, no usable data file, or the picture could not
// be written.

constexpr int ExitClean = 0;
constexpr int ExitProblems = 1;
constexpr int ExitUsage = 2;

struct Options {
  std::string mapfile;
  std::string objectsfile;
  std::string datafile = "data.dat";
  std::string picture;  // empty: no overview picture
};

// Reads the command line into `options`; false with the reason in `why`
// for bad usage. A lone level number N names levels/levelN.txt and
// levels/levelNobjects.txt under the working directory.
bool parseoptions(int argc, char** argv, Options& options, std::string& why);

// A level number as the command line gives it: 1 to 999, no leading zero.
bool islevelnumber(const std::string& s);

// Whether Allegro can write a picture of this name (by its extension).
bool ispicturename(const std::string& name);

// The usage text.
const char* usage();

// Starts Allegro without a display at 32-bit colour and loads the data file
// into the game's `datafile`, checking it first. False with `why` on failure.
bool startallegro(const std::string& datafilename, std::string& why);

// What a tool does once its command line is read: starts Allegro on the data
// file and runs `work`. A data file that will not load, or a level error the
// game throws, is told on stderr after the tool's name and gives
// `failstatus`; otherwise `work`'s status is returned.
int runwithdata(const char* tool, const std::string& datafilename, int failstatus, const std::function<int()>& work);

// Loads and checks the level, writes the report (and the picture) and
// returns the exit status. Allegro and the data file must be ready.
int checkandreport(const Options& options, std::ostream& out);

// The whole command; main is a thin wrapper around this.
int levelcheckmain(int argc, char** argv);
