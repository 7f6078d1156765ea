// Times what the level editor does after a cave edit on each shipped level
// (2560x2560): drawing the edited cave, the collision map and the stamps
// again, and, for comparison, a check of the level.
// Usage: editredraw [depth]   (under X; prints medians in milliseconds)

#include <allegro.h>

#include <cstdio>
#include <iostream>
#include <sstream>
#include <vector>

#include "editorlevel.h"
#include "editortools.h"
#include "manager.h"
#include "map.h"
#include "support/benchsupport.h"

namespace {

const int Runs = 9;

// Sets level `n` up as the editor gets it; false when it will not load.
bool loadlevel(int n) {
  std::ostringstream trace;
  std::streambuf* saved = std::cout.rdbuf(trace.rdbuf());
  bool ok = true;
  try {
    initlevel(n);
  } catch (const char*) {
    ok = false;
  }
  std::cout.rdbuf(saved);
  return ok;
}

void timelevel(int n) {
  CavePicture picture;
  Cave cave = levelmap().getpolygons();
  std::vector<double> redraw, cpu, check;
  for (int run = 0; run < Runs; run++) {
    if (!cave.empty() && !cave[0].points.empty()) cave[0].points[0].x += run % 2 ? 5 : -5;
    double c0 = cpums(), t0 = nowms();
    picture.redraw(cave);
    redraw.push_back(nowms() - t0);
    cpu.push_back(cpums() - c0);
  }
  for (int run = 0; run < 3; run++) {
    double t0 = nowms();
    checkeditedlevel(picture, cave);
    check.push_back(nowms() - t0);
  }
  std::printf("  level %d  %3zu polygons  redraw %7.2f (processor %7.2f)  check %8.2f\n", n, cave.size(),
              median(redraw), median(cpu), median(check));
}

}  // namespace

int main(int argc, char** argv) {
  int depth = depthfromargs(argc, argv);
  if (!startdisplay(depth)) return 1;
  keeplevelrock(true);
  std::printf("editor after a cave edit at %d-bit, median of %d runs (ms; redraw limit 150):\n", depth, Runs);
  for (int n = 1; n <= 6; n++)
    if (loadlevel(n)) timelevel(n);
  initmanager();
  std::printf("peak memory %ld kB\n", peakmemorykb());
  return 0;
}
END_OF_MAIN()
