// Level set-up of every shipped level, cold and warm (run under X).
//
//   setupbench [depth [runs]]   min / median / max over `runs` (default 5)
//
// A set-up is what a level start does before its first frame: initlevel
// (bitmaps, texture, cave, objects) and the copy of the whole picture into
// vscreen. Cold is the first set-up in a process: each cold figure comes
// from a fresh copy of this program, which opens its window, loads the data
// file and sets that one level up. Warm is a set-up that follows another
// in the same process: the levels one after another, `runs` times over.
// Wall-clock milliseconds, and the processor time beside them.

#include <allegro.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common.h"
#include "support/benchsupport.h"

namespace {

struct Timing {
  double wall = 0, cpu = 0;
};

Timing timesetup(int level) {
  double w0 = nowms(), c0 = cpums();
  setuplevel(level, unsigned(level));
  return Timing{nowms() - w0, cpums() - c0};
}

// The child's side of a cold set-up: one line, wall and processor time.
int coldchild(int depth, int level) {
  if (!startdisplay(depth)) return 1;
  Timing t = timesetup(level);
  std::printf("%.3f %.3f\n", t.wall, t.cpu);
  return 0;
}

std::string ownpath() {
  char path[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return "";
  path[n] = 0;
  return path;
}

// A cold set-up of `level` in a fresh process; false when that failed.
bool coldsetup(const std::string& self, int depth, int level, Timing& t) {
  std::string command = "'" + self + "' --cold " + std::to_string(depth) + " " + std::to_string(level);
  FILE* child = popen(command.c_str(), "r");
  if (!child) return false;
  bool read = std::fscanf(child, "%lf %lf", &t.wall, &t.cpu) == 2;
  return pclose(child) == 0 && read;
}

struct LevelFigures {
  std::vector<double> coldwall, coldcpu, warmwall, warmcpu;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--cold") == 0) return coldchild(std::atoi(argv[2]), std::atoi(argv[3]));
  int depth = depthfromargs(argc, argv);
  int runs = argc > 2 ? std::atoi(argv[2]) : 5;
  const std::string self = ownpath();
  std::vector<LevelFigures> figures(NumLevels + 1);
  for (int level = 1; level <= NumLevels; level++)
    for (int run = 0; run < runs; run++) {
      Timing t;
      if (!coldsetup(self, depth, level, t)) {
        std::fprintf(stderr, "a cold set-up of level %d failed\n", level);
        return 1;
      }
      figures[level].coldwall.push_back(t.wall);
      figures[level].coldcpu.push_back(t.cpu);
    }
  if (!startdisplay(depth)) return 1;
  timesetup(NumLevels);  // so that the first level's set-up is a warm one too
  for (int run = 0; run < runs; run++)
    for (int level = 1; level <= NumLevels; level++) {
      Timing t = timesetup(level);
      figures[level].warmwall.push_back(t.wall);
      figures[level].warmcpu.push_back(t.cpu);
    }
  std::printf("level set-up at %d-bit, ms, min / median / max of %d (processor time: median)\n", depth, runs);
  std::printf("level  cold                            warm\n");
  for (int level = 1; level <= NumLevels; level++) {
    const LevelFigures& f = figures[level];
    std::printf("%5d  %s (%6.1f)   %s (%6.1f)\n", level, spreadtext(spreadof(f.coldwall), 1).c_str(),
                median(f.coldcpu), spreadtext(spreadof(f.warmwall), 1).c_str(), median(f.warmcpu));
  }
  std::printf("peak memory after the warm set-ups %ld kB\n", peakmemorykb());
  return 0;
}
END_OF_MAIN()
