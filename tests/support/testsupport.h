#pragma once

#include <allegro.h>

#include <string>

// Helpers shared by the unit tests, the end-to-end tests and the benchmarks.

// Starts Allegro without a display (once per process), sets the colour
// depth (32, or MARSFLYER_TEST_DEPTH from the environment) and loads the
// staged data.dat into `datafile`.
void initallegro();

// For the tests that need an X display: when DISPLAY is unset or empty,
// starts a private 640x480 Xvfb that lives as long as this process and
// points DISPLAY at it, for Allegro and for programs started from here.
// Returns nullptr when a display is there, else why none could be had.
const char* ensuredisplay();

// Creates world bitmaps of w x h: background and vscreen black, collision
// map all open (0). Also sets backgroundWidth/Height.
void makeworld(int w, int h);

// Fills a rectangle of the collision map with rock (1); x2, y2 inclusive.
void makerock(int x1, int y1, int x2, int y2);

// Clears every Allegro key[] entry.
void releaseallkeys();

// A fresh, empty directory under the system's temporary directory (TMPDIR,
// or /tmp). It is removed with everything in it when the process ends
// normally, unless keeptempdir was called for it.
std::string maketempdir();

// Leaves a directory of maketempdir in place at the end of the process, as
// the evidence of a failure.
void keeptempdir(const std::string& dir);

// Works in `dir` for as long as it lives, then goes back.
class InDirectory {
 public:
  explicit InDirectory(const std::string& dir);
  ~InDirectory();

 private:
  std::string old;
};

// Reads a whole file; empty when it cannot be opened.
std::string readfile(const std::string& path);

// Writes text to a file, replacing it.
void writefile(const std::string& path, const std::string& text);

// The staged run directory (marsflyer, data.dat, levels/) and the source tree.
std::string rundir();
std::string sourcedir();
