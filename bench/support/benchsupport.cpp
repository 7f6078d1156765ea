#include "support/benchsupport.h"

#include <allegro.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iostream>
#include <sstream>

#include "common.h"
#include "main.h"
#include "manager.h"
#include "map.h"
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

Spread spreadof(const std::vector<double>& samples) {
  if (samples.empty()) return Spread{};
  auto [least, most] = std::minmax_element(samples.begin(), samples.end());
  return Spread{*least, median(samples), *most};
}

std::string spreadtext(const Spread& s, int decimals, int width) {
  char text[96];
  std::snprintf(text, sizeof text, "%*.*f / %*.*f / %*.*f", width, decimals, s.min, width, decimals, s.median, width,
                decimals, s.max);
  return text;
}

void setuplevel(int level, unsigned seed) {
  srand(seed);
  std::ostringstream trace;
  std::streambuf* saved = std::cout.rdbuf(trace.rdbuf());
  try {
    initlevel(level);
  } catch (...) {
    std::cout.rdbuf(saved);
    throw;
  }
  std::cout.rdbuf(saved);
  refreshvscreen();
}
