#pragma once

#include "classes.h"

class Enemy;

// Where a wibblet will be. A wibblet settles on its home in its first
// frame, then once a second (now and then two) sets off toward home at its
// cruising speed, steering toward that velocity a step each frame against
// gravity, so it swings about home. The pilot mirrors that from what it
// sees: the position and velocity each frame, the home from the first.

namespace pilot {

struct Watched {
  Enemy* enemy = nullptr;  // borrowed; forgotten once it dies
  Point home{0, 0};
  Point heading{0, 0};  // the velocity it steers toward
  float think = 0;      // seconds until it next sets off toward home
  bool started = false;
};

// Follows the wibblet through one frame of `step` seconds just run.
void watchframe(Watched& w, float step);

// Its position `seconds` from now, frame by frame as it moves itself
// (rock aside), assuming it sets off again every second.
Point foresee(const Watched& w, float seconds, float step);

}  // namespace pilot
