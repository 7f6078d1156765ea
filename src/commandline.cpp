#include "commandline.h"

#include <cstdlib>
#include <cstring>
#include <iostream>

#include "common.h"

#ifndef MARSFLYER_VERSION
#error "MARSFLYER_VERSION is set by the build from debian/changelog"
#endif

CommandLine readcommandline(int argc, const char* const* argv) {
  CommandLine line;
  const char* first = argc > 1 ? argv[1] : "";
  if (std::strcmp(first, "--help") == 0) line.mode = Mode::Help;
  else if (std::strcmp(first, "--version") == 0) line.mode = Mode::Version;
  else if (first[0] == 'e') line.mode = Mode::Editor;
  else if (std::strcmp(first, "window") == 0) line.mode = Mode::Window;
  if (argc > 2) line.level = std::atoi(argv[2]);
  return line;
}

bool answersatonce(const CommandLine& line) { return line.mode == Mode::Help || line.mode == Mode::Version; }

std::string usagetext() {
  const std::string most = std::to_string(NumLevels);
  return "Usage: marsflyer [word [N]]   play full screen; the main menu offers levels 1 to N (at most " + most + ")\n"
         "       marsflyer window [N]   play in a 640 x 480 window\n"
         "       marsflyer e [N]        edit level N (1 without N) in a window\n"
         "       marsflyer --help       print this usage\n"
         "       marsflyer --version    print the version\n"
         "Any first word starting with a lower-case e opens the editor; any other word\n"
         "but window, --help and --version plays full screen.\n";
}

std::string versiontext() { return "Mars Flyer " MARSFLYER_VERSION "\n"; }

int answer(const CommandLine& line) {
  std::cout << (line.mode == Mode::Help ? usagetext() : versiontext()) << std::flush;
  if (std::cout) return 0;
  // A full disk or a closed output is not an answer given.
  std::cerr << "Cannot write to the standard output" << std::endl;
  return 1;
}
