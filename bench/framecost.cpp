// Frame costs of the world manager against the bare work they must do.
// Usage: framecost [depth]   (under X; prints medians in milliseconds)
//
// 1. A running level: peak memory after a few hundred frames of level 1.
// 2. One frame (track + drawall) of 60 sprites and 40 particles, against
//    its floor: the same sprites and dots drawn at the same places, the same
//    rectangles restored and the window blitted, with no lists or camera.
// 3. 300 objects in view (shots, wibblets, particles): the collision pass
//    and drawing, step by step, then ticking them.

#include <allegro.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <vector>

#include "classes.h"
#include "common.h"
#include "enemies.h"
#include "manager.h"
#include "map.h"
#include "shot.h"
#include "support/benchsupport.h"

namespace {

const int Runs = 15;
const int FramesPerRun = 300;
const Point Centre{1280, 1280};

// Median over Runs of the mean milliseconds of one call of each step. The
// steps take turns run by run, so that a busy machine hurts them alike.
std::vector<double> costsof(const std::vector<std::function<void()>>& steps) {
  std::vector<std::vector<double>> samples(steps.size());
  for (int run = 0; run < Runs; run++)
    for (size_t k = 0; k < steps.size(); k++) {
      double t0 = nowms();
      for (int i = 0; i < FramesPerRun; i++) steps[k]();
      samples[k].push_back((nowms() - t0) / FramesPerRun);
    }
  std::vector<double> medians;
  for (const auto& s : samples) medians.push_back(median(s));
  return medians;
}

void runninglevel() {
  if (access("levels/level1.txt", R_OK) == 0 && access("levels/level1objects.txt", R_OK) == 0) {
    initlevel(1);
  } else {
    std::printf("(levels/level1 not staged: an empty level instead)\n");
    initmanager();
    InitBackground();
    InitBackgroundTexture();
  }
  refreshvscreen();
  for (int i = 0; i < 300; i++) {
    tickall(0.01f);
    track();
    drawall();
  }
  std::printf("running level: peak memory %ld kB (%.1f MB)\n", peakmemorykb(), peakmemorykb() / 1024.0);
}

// The window's top-left corner once the camera rests on Centre.
Point windoworigin() { return Point{Centre.x - 320, Centre.y - 240}; }

void addenemy(int n, float x, float y) {
  Enemy* e = new Enemy(static_cast<EnemyType>(1 + n % 4));
  e->position = Point{x, y};
  addobject(e);
}

void addparticle(float x, float y) {
  Particle* p = new Particle;
  p->position = Point{x, y};
  addobject(p);
}

void startscene() {
  initmanager();
  dirtyrectangles.clear();
  viewportcentre = Centre;
  screenoffsetx = static_cast<int>(windoworigin().x);
  screenoffsety = static_cast<int>(windoworigin().y);
  refreshvscreen();
}

// What a frame of the scene must do at the least, read off the objects once.
struct Floor {
  std::vector<std::pair<BITMAP*, Point>> sprites;
  std::vector<Particle*> dots;
  std::vector<Rect> rects;

  void frame() const {
    for (const auto& s : sprites) draw_sprite(vscreen, s.first, int(s.second.x), int(s.second.y));
    for (const Particle* p : dots) {
      int x = int(p->position.x), y = int(p->position.y);
      drawing_mode(DRAW_MODE_TRANS, nullptr, 0, 0);
      set_trans_blender(0, 0, 0, 255);
      putpixel(vscreen, x, y, p->colour);
      set_trans_blender(0, 0, 0, 127);
      putpixel(vscreen, x + 1, y, p->colour);
      putpixel(vscreen, x, y + 1, p->colour);
      putpixel(vscreen, x - 1, y, p->colour);
      putpixel(vscreen, x, y - 1, p->colour);
      drawing_mode(DRAW_MODE_SOLID, nullptr, 0, 0);
    }
    blit(vscreen, screen, screenoffsetx, screenoffsety, 0, 0, ScreenWidth, ScreenHeight);
    for (const Rect& r : rects) blit(background, vscreen, r.x, r.y, r.x, r.y, r.w, r.h);
  }
};

void frameagainstfloor() {
  startscene();
  Point o = windoworigin();
  for (int i = 0; i < 60; i++) addenemy(i, o.x + 40 + (i % 10) * 60, o.y + 40 + (i / 10) * 70);
  for (int i = 0; i < 40; i++) addparticle(o.x + 30 + (i % 8) * 75, o.y + 20 + (i / 8) * 90);
  removedeads();
  trackobject(gameobjects[0]);
  viewportcentre = gameobjects[0]->position;
  track();
  Floor floor;
  for (GameObject* obj : gameobjects) {
    Enemy* e = static_cast<Enemy*>(obj);
    floor.sprites.push_back({e->sprite, Point{float(int(e->position.x) - e->sprite->w / 2),
                                             float(int(e->position.y) - e->sprite->h / 2)}});
  }
  floor.dots.assign(particles.begin(), particles.end());
  drawobjects();
  floor.rects = dirtyrectangles;
  restorerects();
  std::vector<double> c = costsof({[] { track(); drawall(); }, [&] { floor.frame(); }, [] { showframe(); }});
  double frame = c[0], bare = c[1], blitonly = c[2];
  std::printf("60 sprites + 40 particles: frame %.3f ms, floor %.3f ms, ratio %.2f (limit 1.30)\n",
              frame, bare, frame / bare);
  std::printf("  screen blit alone %.3f ms\n", blitonly);
}

void crowdinview() {
  startscene();
  Point o = windoworigin();
  Enemy probe(BlueStaticWibblet);
  int spacing = int(2 * probe.radius) + 4;
  int cols = ScreenWidth / spacing;
  for (int i = 0; i < 200; i++) {
    float x = o.x + spacing / 2 + (i % cols) * spacing, y = o.y + spacing / 2 + (i / cols) * spacing;
    if (i % 2) {
      addenemy(i, x, y);
    } else {
      Shot* s = new Shot(nullptr);
      s->position = Point{x, y};
      addobject(s);
    }
  }
  for (int i = 0; i < 100; i++) addparticle(o.x + 5 + (i % 20) * 31, o.y + 5 + (i / 20) * 90);
  removedeads();
  drawall();
  std::printf("300 objects in view (%zu near, %zu particles, %d px apart):\n", nearobjects.size(),
              particles.size(), spacing);
  std::vector<double> c =
      costsof({[] { collidedetect(); }, [] { drawobjects(); restorerects(); }, [] { showframe(); }});
  double collide = c[0], draw = c[1], show = c[2];
  std::printf("  collision %.3f ms, drawing %.3f ms, screen blit %.3f ms\n", collide, draw, show);
  std::printf("  collision + drawing %.3f ms per frame (limit 2), with blit %.3f ms\n", collide + draw,
              collide + draw + show);
  // Last, since ticking moves the crowd (shots fall, wibblets fire).
  double tick = costsof({[] { tickworld(0.001f); }})[0];
  std::printf("  ticking them %.3f ms per frame\n", tick);
}

}  // namespace

int main(int argc, char** argv) {
  int depth = depthfromargs(argc, argv);
  if (!startdisplay(depth)) return 1;
  std::printf("framecost at %d-bit\n", depth);
  runninglevel();
  frameagainstfloor();
  crowdinview();
  initmanager();
  return 0;
}
END_OF_MAIN()
