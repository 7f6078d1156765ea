#pragma once

#include <allegro.h>

#include <string>

// Helpers shared by the unit tests, the end-to-end tests and the benchmarks.

// Starts Allegro without a display (once per process) at the test depth (32, or
// MARSFLYER_TEST_DEPTH) and loads the staged data.dat into `datafile`.
void initallegro();

// When DISPLAY is unset or empty, starts a private 640x480 Xvfb for this process's life and
// points DISPLAY at it. Returns nullptr when a display is there, else why none could be had.
const char* ensuredisplay();

// World bitmaps of w x h, background and vscreen black, the collision map open (0).
void makeworld(int w, int h);
// Fills a rectangle of the collision map with rock (1); x2, y2 inclusive.
void makerock(int x1, int y1, int x2, int y2);
// Clears every Allegro key[] entry.
void releaseallkeys();

// A fresh directory under TMPDIR (or /tmp), removed with its contents when the process ends
// normally, unless keeptempdir kept it as the evidence of a failure.
std::string maketempdir();
void keeptempdir(const std::string& dir);

// Works in `dir` for as long as it lives, then goes back.
class InDirectory {
 public:
  explicit InDirectory(const std::string& dir);
  ~InDirectory();

 private:
  std::string old;
};

std::string readfile(const std::string& path);  // empty when it cannot be opened
void writefile(const std::string& path, const std::string& text);

// The staged run directory (marsflyer, data.dat, levels/) and the source tree.
std::string rundir();
std::string sourcedir();
