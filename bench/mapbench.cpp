// What the player's map costs on the shipped 2560 x 2560 levels: its
// preparation at level start, and opening it on M (the view drawn, the map
// composed over it and shown), once at the start and once with the cave seen
// along the pilot's route for part of its flight.
//
//   mapbench [depth [picturedir]]   under X; the first, min, median and max in ms,
//                                   and the most processor time one took (on a
//                                   busy machine the wall clock also counts waits)
//
// With a picture directory it also writes mapN.bmp there: the screen just
// after the map opened in the flown state.

#include <allegro.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "common.h"
#include "data.h"
#include "gamedata.h"
#include "manager.h"
#include "map.h"
#include "pilotflight.h"
#include "playermap.h"
#include "support/benchsupport.h"

namespace {

const int Runs = 21;
// The part of the pilot's flight flown before the map is opened.
const float FlownShare = 0.6f;
// The pilot's own random sequence for each level, so it flies its usual route.
const unsigned SeedBase = 1000;

struct Spread {
  double first, min, median, max, maxcpu;
};

template <class F>
Spread timed(F step) {
  std::vector<double> ms;
  double maxcpu = 0;
  for (int i = 0; i < Runs; i++) {
    const double t0 = nowms(), c0 = cpums();
    step();
    ms.push_back(nowms() - t0);
    maxcpu = std::max(maxcpu, cpums() - c0);
  }
  return {ms[0], *std::min_element(ms.begin(), ms.end()), median(ms), *std::max_element(ms.begin(), ms.end()), maxcpu};
}

void setup(int level) {
  std::ostringstream sink;
  std::streambuf* saved = std::cout.rdbuf(sink.rdbuf());
  srand(SeedBase + unsigned(level));
  initlevel(level);
  std::cout.rdbuf(saved);
  refreshvscreen();  // as the frame loop starts
}

// The frame loop's camera on the ship, as the game shows it.
void lookatship() {
  if (!playership) return;
  viewportcentre = playership->position;
  track();
}

// What the frame loop does when M opens the map.
void openmap() {
  drawobjects();
  openplayermap(vscreen, screenoffsetx, screenoffsety, mapmarks(), static_cast<FONT*>(datafile[DataFont].dat));
  restorerects();
  showplayermap(screen);
}

// Every screen window the camera showed along the trail, the camera taken
// as centred on the ship and kept on the picture.
void seetrail(const std::vector<Point>& trail) {
  for (Point p : trail) {
    const int x = std::clamp(int(p.x) - ScreenWidth / 2, 0, backgroundWidth - ScreenWidth);
    const int y = std::clamp(int(p.y) - ScreenHeight / 2, 0, backgroundHeight - ScreenHeight);
    seeview(x, y);
  }
}

void savescreen(const std::string& file) {
  BITMAP* shot = create_bitmap(ScreenWidth, ScreenHeight);
  if (!shot) return;
  blit(screen, shot, 0, 0, 0, 0, ScreenWidth, ScreenHeight);
  if (save_bitmap(file.c_str(), shot, nullptr) != 0) std::fprintf(stderr, "cannot write %s\n", file.c_str());
  destroy_bitmap(shot);
}

void print(const char* what, Spread s) {
  std::printf("  %-28s %7.2f %7.2f %7.2f %7.2f %7.2f\n", what, s.first, s.min, s.median, s.max, s.maxcpu);
}

void benchlevel(int level, const std::string& picturedir) {
  setup(level);
  std::printf("level %d (%dx%d)              first     min  median     max  maxcpu\n", level, backgroundWidth,
              backgroundHeight);
  print("prepare at level start", timed([] { startplayermap(background, collisionmap); }));
  lookatship();
  seeview(screenoffsetx, screenoffsety);
  print("open at the start", timed(openmap));

  pilot::FlightSettings settings;
  const float whole = pilot::flylevel(settings, nullptr).time;
  setup(level);
  startplayermap(background, collisionmap);
  settings.timelimit = whole * FlownShare;
  const pilot::FlightReport flown = pilot::flylevel(settings, nullptr);
  seetrail(flown.trail);
  lookatship();
  char label[64];
  std::snprintf(label, sizeof label, "open after %.0f of %.0f s", settings.timelimit, whole);
  print(label, timed(openmap));
  if (!picturedir.empty()) savescreen(picturedir + "/map" + std::to_string(level) + ".bmp");
  initmanager();
}

}  // namespace

int main(int argc, char** argv) {
  const int depth = depthfromargs(argc, argv);
  const std::string picturedir = argc > 2 ? argv[2] : "";
  if (!startdisplay(depth)) return 1;
  std::printf("the player's map at %d-bit, %d runs each (ms)\n", depth, Runs);
  for (int level = 1; level <= NumLevels; level++) benchlevel(level, picturedir);
  return 0;
}
END_OF_MAIN()
