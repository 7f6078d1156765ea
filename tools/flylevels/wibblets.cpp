#include "flylevels/wibblets.h"

#include <cmath>

#include "enemies.h"
#include "flylevels/control.h"

namespace pilot {

namespace {

// The wibblet's own numbers: cruising speed, steering per second on each
// axis, the slack about home within which it keeps its heading (squared
// pixels), and the time between two settings off.
const float Cruise = 50.0f;
const float Steering = 80.0f;
const float HomeSlack = 10.0f;
const float ThinkInterval = 1.0f;

Point sethome(Point at, Point home, Point heading) {
  float dx = home.x - at.x, dy = home.y - at.y, sq = dx * dx + dy * dy;
  if (sq <= HomeSlack) return heading;
  float d = std::sqrt(sq);
  return {dx / d * Cruise, dy / d * Cruise};
}

float steer(float v, float towards, float step) { return v + (v > towards ? -step : step); }

}  // namespace

void watchframe(Watched& w, float step) {
  if (!w.started) {
    w.home = w.enemy->position;
    w.think = ThinkInterval;
    w.started = true;
    return;
  }
  w.think -= step;
  if (w.think < 0) {
    w.heading = sethome(w.enemy->position, w.home, w.heading);
    w.think = ThinkInterval;
  }
}

Point foresee(const Watched& w, float seconds, float step) {
  Point p = w.enemy->position, v = w.enemy->velocity, heading = w.heading;
  float think = w.think;
  for (float t = 0; t < seconds; t += step) {
    v.y += Gravity * step;
    p = {p.x + v.x * step, p.y + v.y * step};
    think -= step;
    v = {steer(v.x, heading.x, Steering * step), steer(v.y, heading.y, Steering * step)};
    if (think < 0) {
      heading = sethome(p, w.home, heading);
      think = ThinkInterval;
    }
  }
  return p;
}

}  // namespace pilot
