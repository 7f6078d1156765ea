#include "support/benchsupport.h"

#include <allegro.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>

#include "common.h"
#include "main.h"
#include "support/testsupport.h"

bool startdisplay(int depth) {
  if (allegro_init() != 0 || install_keyboard() != 0 || install_timer() != 0) {
    std::fprintf(stderr, "Allegro would not start (is DISPLAY set?)\n");
    return false;
  }
  set_color_depth(depth);
  if (set_gfx_mode(GFX_AUTODETECT_WINDOWED, ScreenWidth, ScreenHeight, 0, 0) != 0) {
    std::fprintf(stderr, "no %d-bit 640x480 mode: %s\n", depth, allegro_error);
    return false;
  }
  chosenDepth = depth;
  if (chdir(rundir().c_str()) != 0 || !LoadData()) {
    std::fprintf(stderr, "cannot load %s/data.dat\n", rundir().c_str());
    return false;
  }
  return true;
}

int depthfromargs(int argc, char** argv) { return argc > 1 ? std::atoi(argv[1]) : 32; }

double nowms() {
  using namespace std::chrono;
  return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

double cpums() {
  timespec t;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double median(std::vector<double> samples) {
  if (samples.empty()) return 0;
  std::sort(samples.begin(), samples.end());
  return samples[samples.size() / 2];
}

long peakmemorykb() {
  std::ifstream status("/proc/self/status");
  std::string word;
  long kb = 0;
  while (status >> word)
    if (word == "VmHWM:") status >> kb;
  return kb;
}
