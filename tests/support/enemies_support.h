#pragma once

#include <vector>

#include "classes.h"

class Shot;

// A body that only records the hits it receives; stands in for the ship
// (wibblets read nothing of it but its position) or for anything touched.
class HitRecorder : public CollidesWithScenery {
 public:
  std::vector<float> hits;

  HitRecorder(float x, float y, float r = 8.0f);
  void draw() override {}
  void takehit(float strength) override { hits.push_back(strength); }
};

// An open world of w x h with empty object lists, no ship and a fresh
// player record.
void freshworld(int w, int h);

// The shots waiting in newobjects, in the order they were added.
std::vector<Shot*> newshots();

// How many of `particles` are explosions, and how many plain particles.
int countexplosions();
int countplainparticles();
