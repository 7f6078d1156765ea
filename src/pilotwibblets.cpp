#include "pilotwibblets.h"

#include <cmath>

#include "enemies.h"
#include "pilotcontrol.h"
#include "pilotplan.h"

namespace pilot {

namespace {

// The wibblet's own numbers: cruising speed, steering per second on each
// axis, the slack about home within which it keeps its heading (squared
// pixels), the time between two settings off, its range and its drops.
const float Cruise = 50.0f;
const float Steering = 80.0f;
const float HomeSlack = 10.0f;
const float ThinkInterval = 1.0f;
const float Range = 500.0f;
const float BaseDropSpeed = 120.0f;
const float DropLife = 6.0f;
const float DropRadius = 3.0f;
// Drops are followed in steps this long, and danger is held on cells this wide.
const float DropStep = 0.02f;
const int DangerCell = 8;
// Where a wibblet swings about its home: mostly sideways, most of the
// time within this much.
const Point SwingOffsets[] = {{0, 0}, {-35, 0}, {35, 0}, {0, -20}, {0, 20}};
// Danger is not kept for cells this near rock or in it (a seat's cell may
// lie a little nearer rock than the ship's centre).
const float ShipRoom = 4.0f;

Point sethome(Point at, Point home, Point heading) {
  float dx = home.x - at.x, dy = home.y - at.y, sq = dx * dx + dy * dy;
  if (sq <= HomeSlack) return heading;
  float d = std::sqrt(sq);
  return {dx / d * Cruise, dy / d * Cruise};
}

float steer(float v, float towards, float step) { return v + (v > towards ? -step : step); }

// True when one frame's steering toward `heading` turns `before` (the
// velocity after gravity) into `after`.
bool steeredby(Point before, Point heading, Point after, float step) {
  const float s = Steering * step, slack = 1e-3f;
  return std::fabs(steer(before.x, heading.x, s) - after.x) < slack && std::fabs(steer(before.y, heading.y, s) - after.y) < slack;
}

bool same(Point a, Point b) { return std::fabs(a.x - b.x) < 1e-4f && std::fabs(a.y - b.y) < 1e-4f; }

}  // namespace

void watchframe(Watched& w, float step) {
  const Point now = w.enemy->velocity;
  if (!w.started) {
    w.home = w.enemy->position;
    w.think = ThinkInterval;
    w.started = true;
    w.lastspeed = now;
    return;
  }
  if (w.undecided) {
    Point before{w.lastspeed.x, w.lastspeed.y + Gravity * step};
    bool took = steeredby(before, w.heading, now, step), waited = steeredby(before, w.waited, now, step);
    if (took != waited) {
      if (waited) w.heading = w.waited;
      w.undecided = false;
    }
  }
  w.think -= step;
  if (w.think < 0) {
    Point next = sethome(w.enemy->position, w.home, w.heading);
    w.undecided = !same(next, w.heading);
    w.waited = w.heading;
    w.heading = next;
    w.think = ThinkInterval;
  }
  w.lastspeed = now;
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

float dropspeed(int enemytype) { return enemytype == GreenWibblet ? 2 * BaseDropSpeed : BaseDropSpeed; }

float dropmiss(Point from, Point at, float speed, const Clearance& cave) {
  const float dx = at.x - from.x, dy = at.y - from.y, dist = std::hypot(dx, dy);
  if (dist > Range) return Unhurt;
  if (dist < 1e-3f) return 0;
  Point p = from, v{dx / dist * speed, dy / dist * speed};
  float nearest = dist;
  for (float t = 0; t < DropLife; t += DropStep) {
    v.y += Gravity * DropStep;
    p = {p.x + v.x * DropStep, p.y + v.y * DropStep};
    const float d = std::hypot(p.x - at.x, p.y - at.y);
    if (d < nearest) nearest = d;
    else if (d > nearest + 2 * ShipRadius) break;  // past the ship and away
    if (d < ShipRadius + DropRadius) return d;
    if (cave.at(p.x, p.y) < DropRadius) return Unhurt;
  }
  return nearest;
}

DangerZone::DangerZone(Point home, float speed, const Clearance& cave) : centre(home) {
  const int reach = int(Range) + DangerCell;
  x0 = int(home.x) - reach;
  y0 = int(home.y) - reach;
  cols = rows = 2 * reach / DangerCell + 1;
  hit.assign(size_t(cols) * rows, 0);
  for (int r = 0; r < rows; r++)
    for (int c = 0; c < cols; c++) {
      Point p{float(x0 + c * DangerCell), float(y0 + r * DangerCell)};
      if (cave.at(p.x, p.y) < ShipRoom) continue;
      // From anywhere the wibblet swings to.
      for (Point off : SwingOffsets)
        if (dropmiss({home.x + off.x, home.y + off.y}, p, speed, cave) < DropReach) {
          hit[size_t(r) * cols + c] = 1;
          break;
        }
    }
}

bool DangerZone::at(Point p) const {
  const int c = int(std::lround((p.x - x0) / DangerCell)), r = int(std::lround((p.y - y0) / DangerCell));
  if (c < 0 || r < 0 || c >= cols || r >= rows) return false;
  return hit[size_t(r) * cols + c] != 0;
}

}  // namespace pilot
