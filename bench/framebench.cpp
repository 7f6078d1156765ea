// The frame of every shipped level in its busiest view, against one screen
// blit (run under X; one process per colour depth).
//
//   framebench [depth [runs]]   each level: frame / blit, min / median / max
//                               over `runs` (default 7) runs of 200 frames
//   framebench startup          install, display mode, data file, dialogs
//
// The busiest view: the pilot flies the level once, and of the places its
// path passes (one every fifth of a second) the view is the one whose near
// box (a screen's width and height either side of the centre: what may be
// drawn and collide) holds the most objects where the level puts them. There
// the ship hovers, put back between frames (outside the timing) with full
// stores and shield, its gun firing; the wibblets in reach fire back.
//
// A frame is what the game's loop does each frame: tick and collide, move
// the camera, draw, show the window and restore. The floor is one 640x480
// blit of the window to the screen at the same depth. Frames and blits take
// turns, one each, in the same process, so that a busy machine or X server
// hurts both alike; "drawing" is the frame without its tick and camera.
// A run's figure is the median frame over the median blit.

#include <allegro.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "classes.h"
#include "common.h"
#include "main.h"
#include "manager.h"
#include "map.h"
#include "pilotflight.h"
#include "playerinfo.h"
#include "support/benchsupport.h"
#include "ui.h"

namespace {

const int FramesPerRun = 200;
const int WarmUpFrames = 100;  // a second of game time, for the first drops to fly
const float Step = 0.01f;      // game seconds per frame, as the pilot flies

struct View {
  Point at{0, 0};
  int nearby = 0;  // objects in the near box where the level puts them
  int shown = 0;   // of those, in the visible window
};

bool innearbox(Point centre, Point p) {
  return std::fabs(centre.x - p.x) < ScreenWidth && std::fabs(centre.y - p.y) < ScreenHeight;
}

// The window the camera shows when it rests on `centre`.
Rect windowat(Point centre) {
  int x = std::clamp(wholepixel(centre.x) - ScreenWidth / 2, 0, backgroundWidth - ScreenWidth);
  int y = std::clamp(wholepixel(centre.y) - ScreenHeight / 2, 0, backgroundHeight - ScreenHeight);
  return Rect{x, y, ScreenWidth, ScreenHeight};
}

bool inside(const Rect& r, Point p) { return p.x >= r.x && p.x < r.x + r.w && p.y >= r.y && p.y < r.y + r.h; }

View viewat(Point centre, const std::vector<Point>& objects) {
  View v;
  v.at = centre;
  Rect window = windowat(centre);
  for (Point p : objects) {
    if (!innearbox(centre, p)) continue;
    v.nearby++;
    v.shown += inside(window, p);
  }
  return v;
}

// The busiest view along the pilot's path through `level`.
View busiestview(int level) {
  setuplevel(level, unsigned(level));
  removedeads();
  std::vector<Point> objects;
  for (GameObject* obj : gameobjects)
    if (obj != playership) objects.push_back(obj->position);
  pilot::FlightReport flight = pilot::flylevel(pilot::FlightSettings(), nullptr);
  View best;
  for (Point p : flight.trail) {
    View v = viewat(p, objects);
    if (v.nearby > best.nearby || (v.nearby == best.nearby && v.shown > best.shown)) best = v;
  }
  initmanager();
  return best;
}

// Puts the ship back where it hovers, its stores and shield full.
void hold(Point at) {
  Ship* ship = dynamic_cast<Ship*>(playership);
  if (!ship) return;
  ship->position = at;
  ship->velocity = Point{0, 0};
  ship->hydrogen = ship->oxygen = ship->ammo = 1.0f;
  ship->shieldpower = 1.0f;
}

void startscene(int level, Point at) {
  playerinfo.init();
  playerinfo.levelcomplete = false;
  setuplevel(level, unsigned(level));
  removedeads();
  hold(at);
  viewportcentre = at;
  track();
  dirtyrectangles.clear();
  key[KEY_LCONTROL] = 1;
}

void floorblit() { blit(vscreen, screen, screenoffsetx, screenoffsety, 0, 0, ScreenWidth, ScreenHeight); }

// One frame as the game's loop makes it; returns the time its drawing began.
double gameframe() {
  tickall(Step);
  track();
  double drawing = nowms();
  drawall();
  return drawing;
}

// Milliseconds of each frame, of its drawing and of the blit after it.
struct RunFigures {
  std::vector<double> frame, drawing, floor;
};

// One run of FramesPerRun frames from a fresh scene. The figures of a run
// are the medians of its frames, so that a frame the machine broke into
// weighs no more than any other.
RunFigures run(int level, Point at) {
  startscene(level, at);
  RunFigures figures;
  auto frame = [&](bool timed) {
    if (!playership) startscene(level, at);
    hold(at);
    double t0 = nowms();
    double t1 = gameframe();
    double t2 = nowms();
    if (!timed) return;
    figures.frame.push_back(t2 - t0);
    figures.drawing.push_back(t2 - t1);
  };
  for (int i = 0; i < WarmUpFrames; i++) frame(false);
  for (int i = 0; i < FramesPerRun; i++) {
    frame(true);
    double t0 = nowms();
    floorblit();
    figures.floor.push_back(nowms() - t0);
  }
  key[KEY_LCONTROL] = 0;
  return figures;
}

void benchlevel(int level, int runs) {
  View view = busiestview(level);
  std::vector<double> frame, drawing, blitms;
  for (int i = 0; i < runs; i++) {
    RunFigures f = run(level, view.at);
    const double floor = median(f.floor);
    frame.push_back(median(f.frame) / floor);
    drawing.push_back(median(f.drawing) / floor);
    blitms.push_back(floor);
  }
  std::printf("%5d  (%4.0f, %4.0f)  %3d / %2d  %6.3f   %s   %s\n", level, view.at.x, view.at.y, view.nearby,
              view.shown, median(blitms), spreadtext(spreadof(frame)).c_str(), spreadtext(spreadof(drawing)).c_str());
  std::fflush(stdout);
  initmanager();
}

int startup() {
  double t0 = nowms();
  if (install_allegro(SYSTEM_AUTODETECT, &errno, atexit) != 0) return 1;
  install_keyboard();
  install_timer();
  install_mouse();
  install_sound(DIGI_AUTODETECT, MIDI_NONE, nullptr);
  double t1 = nowms();
  if (chdir(MARSFLYER_RUN_DIR) != 0 || !SetupMode(false)) return 1;
  double t2 = nowms();
  if (!LoadData()) return 1;
  double t3 = nowms();
  initui();
  double t4 = nowms();
  std::printf("start-up %.0f ms: Allegro and devices %.0f, display mode %.0f (%d-bit), data file %.0f, dialogs %.0f\n",
              t4 - t0, t1 - t0, t2 - t1, chosenDepth, t3 - t2, t4 - t3);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "startup") == 0) return startup();
  int depth = depthfromargs(argc, argv);
  int runs = argc > 2 ? std::atoi(argv[2]) : 7;
  if (!startdisplay(depth)) return 1;
  std::printf("frames at %d-bit in each level's busiest view against one 640x480 blit,\n"
              "min / median / max of %d runs of %d frames\n",
              depth, runs, FramesPerRun);
  std::printf("level  view          near/shown  blit ms  frame / blit           drawing / blit\n");
  for (int level = 1; level <= NumLevels; level++) benchlevel(level, runs);
  return 0;
}
END_OF_MAIN()
