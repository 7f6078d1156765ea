// Times what the level editor does after a cave edit on each shipped level
// (2560x2560): drawing the edited cave, the collision map and the stamps
// again, and, for comparison, a check of the level.
// Usage: editredraw [depth [runs]]   (under X; milliseconds, min / median /
// max over `runs`, default 5)
//
// Each run sets the level up afresh, as the editor's start does, and then
// redraws it ten times. The first redraw after a set-up is given apart:
// it is the one a designer meets at the first edit.

#include <allegro.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "common.h"
#include "editorlevel.h"
#include "editortools.h"
#include "manager.h"
#include "map.h"
#include "support/benchsupport.h"

namespace {

const int RedrawsPerRun = 10;

struct LevelFigures {
  std::vector<double> first, later, cpu, check;
  size_t polygons = 0;
};

// One run on level `n`: a fresh set-up, then the redraws.
void runlevel(int n, LevelFigures& f) {
  setuplevel(n, unsigned(n));
  CavePicture picture;
  Cave cave = levelmap().getpolygons();
  f.polygons = cave.size();
  for (int i = 0; i < RedrawsPerRun; i++) {
    if (!cave.empty() && !cave[0].points.empty()) cave[0].points[0].x += i % 2 ? 5 : -5;
    double c0 = cpums(), t0 = nowms();
    picture.redraw(cave);
    (i == 0 ? f.first : f.later).push_back(nowms() - t0);
    f.cpu.push_back(cpums() - c0);
  }
  double t0 = nowms();
  checkeditedlevel(picture, cave);
  f.check.push_back(nowms() - t0);
}

}  // namespace

int main(int argc, char** argv) {
  int depth = depthfromargs(argc, argv);
  int runs = argc > 2 ? std::atoi(argv[2]) : 5;
  if (!startdisplay(depth)) return 1;
  std::printf("editor after a cave edit at %d-bit, ms, min / median / max of %d runs (processor time: median)\n",
              depth, runs);
  std::printf("level  polygons  first redraw              later redraws                check\n");
  for (int n = 1; n <= NumLevels; n++) {
    LevelFigures f;
    for (int run = 0; run < runs; run++) runlevel(n, f);
    std::printf("%5d  %8zu  %s  %s (%5.1f)  %s\n", n, f.polygons, spreadtext(spreadof(f.first), 1).c_str(),
                spreadtext(spreadof(f.later), 1).c_str(), median(f.cpu), spreadtext(spreadof(f.check), 0).c_str());
    std::fflush(stdout);
  }
  initmanager();
  std::printf("peak memory %ld kB\n", peakmemorykb());
  return 0;
}
END_OF_MAIN()
