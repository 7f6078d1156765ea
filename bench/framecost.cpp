// A crowd in the near box, against one screen blit (run under X).
//
//   framecost [depth [runs]]   min / median / max over `runs` (default 7)
//
// The view is level 1's start, the ship in it. Around its centre the near
// box (a screen's width and height either side: what may be drawn and
// collide) is filled evenly with 400 objects: wibblets of the four kinds,
// drops of both acids, tanks, sparks and explosions, a quarter of them in
// the visible window. A crowd frame is the game's drawing of a frame (draw,
// show the window, restore) with the camera step; the floor is one 640x480
// blit of the window to the screen at the same depth. They take turns, one
// each, in the same process, and each run's figure is the median frame
// over the median blit. The collision pass over the crowd's bodies is
// timed apart: it grows with the square of the crowd.

#include <allegro.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "classes.h"
#include "common.h"
#include "enemies.h"
#include "manager.h"
#include "map.h"
#include "playerinfo.h"
#include "shot.h"
#include "support/benchsupport.h"

namespace {

const int FramesPerRun = 200;
const int Columns = 20, Rows = 20;  // the crowd: one object per cell of the near box

// The object of cell n of the crowd, at `at`.
GameObject* crowdmember(int n, Point at) {
  GameObject* obj;
  switch (n % 8) {
    case 0: case 1: case 2: obj = new Enemy(static_cast<EnemyType>(1 + n % 4)); break;
    case 3: case 4: {
      Shot* s = new Shot(nullptr);
      s->colour = getammocolour(n % 16 == 3 ? Hydrofluoric : Hydrochloric);
      obj = s;
      break;
    }
    case 5: obj = new StaticObject(static_cast<StaticType>(1 + n % 4)); break;
    case 6: obj = new Particle(); break;
    default: obj = new Explosion(); break;
  }
  obj->position = at;
  return obj;
}

void startcrowd() {
  playerinfo.init();
  setuplevel(1, 1);
  removedeads();
  if (playership) viewportcentre = playership->position;
  track();
  Point c = viewportcentre;
  const float w = 2.0f * ScreenWidth / Columns, h = 2.0f * ScreenHeight / Rows;
  for (int row = 0; row < Rows; row++)
    for (int col = 0; col < Columns; col++) {
      Point at{c.x - ScreenWidth + (col + 0.5f) * w, c.y - ScreenHeight + (row + 0.5f) * h};
      addobject(crowdmember(row * Columns + col, at));
    }
  removedeads();
  dirtyrectangles.clear();
  drawall();  // the first frame registers the tanks' rectangles
}

void floorblit() { blit(vscreen, screen, screenoffsetx, screenoffsety, 0, 0, ScreenWidth, ScreenHeight); }

struct RunFigures {
  double frame, floor;
};

RunFigures run() {
  std::vector<double> frame, floor;
  for (int i = 0; i < FramesPerRun; i++) {
    double t0 = nowms();
    track();
    drawall();
    double t1 = nowms();
    floorblit();
    double t2 = nowms();
    frame.push_back(t1 - t0);
    floor.push_back(t2 - t1);
  }
  return RunFigures{median(frame), median(floor)};
}

// Last, since touching bodies act on each other (drops burst on wibblets).
double collisionpass() {
  std::vector<double> pass;
  for (int i = 0; i < FramesPerRun; i++) {
    double t0 = nowms();
    collidedetect();
    pass.push_back(nowms() - t0);
  }
  return median(pass);
}

}  // namespace

int main(int argc, char** argv) {
  int depth = depthfromargs(argc, argv);
  int runs = argc > 2 ? std::atoi(argv[2]) : 7;
  if (!startdisplay(depth)) return 1;
  startcrowd();
  std::vector<double> ratio, frame, beyond, floor;
  for (int i = 0; i < runs; i++) {
    RunFigures f = run();
    ratio.push_back(f.frame / f.floor);
    frame.push_back(f.frame);
    beyond.push_back(f.frame - f.floor);
    floor.push_back(f.floor);
  }
  const size_t crowd = gameobjects.size(), sparks = particles.size(), near = nearobjects.size();
  std::vector<double> collide;
  for (int i = 0; i < runs; i++) collide.push_back(collisionpass());
  std::printf("a crowd at %d-bit: %zu objects (%zu of them near) and %zu particles,\n"
              "min / median / max of %d runs of %d frames:\n",
              depth, crowd, near, sparks, runs, FramesPerRun);
  std::printf("  frame / blit     %s\n", spreadtext(spreadof(ratio)).c_str());
  std::printf("  frame ms         %s\n", spreadtext(spreadof(frame), 3).c_str());
  std::printf("  frame - blit ms  %s\n", spreadtext(spreadof(beyond), 3).c_str());
  std::printf("  blit ms          %s\n", spreadtext(spreadof(floor), 3).c_str());
  std::printf("  collision ms     %s\n", spreadtext(spreadof(collide), 3).c_str());
  initmanager();
  return 0;
}
END_OF_MAIN()
