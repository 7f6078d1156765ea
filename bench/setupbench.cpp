// Times the cave part of a level set-up on a 2560x2560 level: the three
// bitmaps, the rock and dirt, reading the map and drawing the cave.
// Usage: setupbench [depth]   (under X; prints medians in milliseconds)

#include <allegro.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "map.h"
#include "support/benchsupport.h"

namespace {

const int Runs = 9;

// The first shipped level when it is staged, else a made-up cave of 60
// twelve-sided caverns.
std::string mapfile() {
  if (access("levels/level1.txt", R_OK) == 0) return "levels/level1.txt";
  std::string path = "/tmp/setupbench-map.txt";
  std::ofstream out(path);
  out << 60 << "\n";
  for (int i = 0; i < 60; i++) {
    float cx = 200 + (i % 8) * 300, cy = 200 + (i / 8) * 300;
    out << 12 << "\n";
    for (int k = 0; k < 12; k++)
      out << cx + 140 * std::cos(k * 0.5236f) << " " << cy + 120 * std::sin(k * 0.5236f) << "\n";
  }
  return path;
}

}  // namespace

int main(int argc, char** argv) {
  int depth = depthfromargs(argc, argv);
  if (!startdisplay(depth)) return 1;
  std::string map = mapfile();
  std::vector<double> bitmaps, texture, load, cave, total, cpu;
  for (int run = 0; run < Runs; run++) {
    double c0 = cpums(), t0 = nowms();
    InitBackground();
    double t1 = nowms();
    InitBackgroundTexture();
    double t2 = nowms();
    Map m;
    m.load(map.c_str());
    double t3 = nowms();
    m.drawcave();
    double t4 = nowms();
    bitmaps.push_back(t1 - t0);
    texture.push_back(t2 - t1);
    load.push_back(t3 - t2);
    cave.push_back(t4 - t3);
    total.push_back(t4 - t0);
    cpu.push_back(cpums() - c0);
  }
  std::printf("level set-up at %d-bit, %s, median of %d runs (ms):\n", depth, map.c_str(), Runs);
  std::printf("  InitBackground        %8.2f\n", median(bitmaps));
  std::printf("  InitBackgroundTexture %8.2f\n", median(texture));
  std::printf("  Map::load             %8.2f\n", median(load));
  std::printf("  Map::drawcave         %8.2f\n", median(cave));
  std::printf("  total                 %8.2f  (limit 300)\n", median(total));
  std::printf("  total processor time  %8.2f\n", median(cpu));
  std::printf("peak memory %ld kB\n", peakmemorykb());
  return 0;
}
END_OF_MAIN()
