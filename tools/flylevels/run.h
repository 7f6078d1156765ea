#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "pilotflight.h"

// The flylevels command: what it was asked to fly and the run itself.
//
//   flylevels [--data FILE] [--picture FILE] [--step SECONDS] [--log] [N...]
//   flylevels [--data FILE] [--picture FILE] [--step SECONDS] [--log] MAPFILE OBJECTSFILE
//
// With no level named it flies levels 1 to 6. Exit status: 0 every level
// flown was finished with the fuel margin kept, 1 one was not, 2 bad usage
// or no usable data file.

namespace pilot {

constexpr int FlownClean = 0;
constexpr int FlownShort = 1;
constexpr int FlownUsage = 2;

// Hydrogen and oxygen a finished level must leave in the ship.
constexpr float FuelMargin = 0.25f;

struct FlyOptions {
  std::vector<int> levels;  // level numbers, or empty with the two files below
  std::string mapfile, objectsfile;
  std::string datafile = "data.dat";
  std::string picture;      // empty: none; with several levels the number goes before the extension
  bool log = false;
  FlightSettings flight;
};

bool parseflyoptions(int argc, char** argv, FlyOptions& options, std::string& why);
const char* flyusage();

// The report line of one flight: "finished in 61.2 s, shield 0.98, ...".
std::string describeflight(const FlightReport& report);
// True when the flight counts: finished with the fuel margin kept.
bool flightpasses(const FlightReport& report);

// The picture name for level N when several are flown: "trail.bmp" -> "trail3.bmp".
std::string picturefor(const std::string& picture, int level, bool several);

// Flies what the options name and writes the report; returns the exit
// status. Allegro and the data file must be ready.
int flyandreport(const FlyOptions& options, std::ostream& out);

int flylevelsmain(int argc, char** argv);

}  // namespace pilot
