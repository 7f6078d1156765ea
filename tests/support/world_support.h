#pragma once

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "manager.h"
#include "map.h"
#include "playerinfo.h"
#include "shot.h"
#include "support/testsupport.h"

// A body that only records the hits it receives: the ship, or anything touched.
struct HitRecorder : CollidesWithScenery {
  std::vector<float> hits;
  HitRecorder(float x, float y, float r = 8.0f) { position = {x, y}; radius = r; mass = 1000.0f; }
  void draw() override {}
  void takehit(float strength) override { hits.push_back(strength); }
};

// An open w x h world: no objects, dirty rectangles or keys, a new player, rand() seeded.
struct TestWorld {
  explicit TestWorld(int w = 640, int h = 480) {
    makeworld(w, h);
    initmanager();
    dirtyrectangles.clear();
    releaseallkeys();
    playerinfo.init();
    srand(11);
  }
  ~TestWorld() { releaseallkeys(); initmanager(); }
};

// Whether two bitmaps of one size and depth hold the same pixels.
inline bool samebitmap(BITMAP* a, BITMAP* b) {
  const int bytes = a->w * ((bitmap_color_depth(a) + 7) / 8);
  for (int y = 0; y < a->h; y++)
    if (std::memcmp(a->line[y], b->line[y], bytes) != 0) return false;
  return true;
}

// A new bitmap with the pixels of `b`; the caller destroys it.
inline BITMAP* copyof(BITMAP* b) {
  BITMAP* c = create_bitmap_ex(bitmap_color_depth(b), b->w, b->h);
  blit(b, c, 0, 0, 0, 0, b->w, b->h);
  return c;
}

// The text error a call throws, or "" when it returns.
template <class F>
std::string thrown(F call) {
  try { call(); } catch (const char* e) { return e; }
  return "";
}

// The shots waiting in newobjects, in the order they were added.
inline std::vector<Shot*> newshots() {
  std::vector<Shot*> shots;
  for (GameObject* obj : newobjects)
    if (Shot* s = dynamic_cast<Shot*>(obj)) shots.push_back(s);
  return shots;
}

// A shot of `owner` at `at` moving at `v`, handed to the manager.
inline Shot* addshot(GameObject* owner, Point at, Point v) {
  Shot* s = new Shot(owner);
  s->position = at;
  s->velocity = v;
  addobject(s);
  return s;
}

// How many of `particles` are explosions.
inline int countexplosions() {
  auto isexplosion = [](Particle* p) { return dynamic_cast<Explosion*>(p) != nullptr; };
  return static_cast<int>(std::count_if(particles.begin(), particles.end(), isexplosion));
}
