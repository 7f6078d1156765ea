#include "pilotwibblets.h"

#include <cmath>

#include "enemies.h"
#include "pilotcontrol.h"
#include "pilotplan.h"
#include "pilottuning.h"

namespace pilot {

namespace {

Point sethome(Point at, Point home, Point heading) {
  float dx = home.x - at.x, dy = home.y - at.y, sq = dx * dx + dy * dy;
  if (sq <= WibbletHomeSlack) return heading;
  float d = std::sqrt(sq);
  return {dx / d * WibbletCruise, dy / d * WibbletCruise};
}

float steer(float v, float towards, float step) { return v + (v > towards ? -step : step); }

// True when one frame's steering toward `heading` turns `before` (the
// velocity after gravity) into `after`.
bool steeredby(Point before, Point heading, Point after, float step) {
  const float s = WibbletSteering * step, slack = 1e-3f;
  return std::fabs(steer(before.x, heading.x, s) - after.x) < slack && std::fabs(steer(before.y, heading.y, s) - after.y) < slack;
}

bool same(Point a, Point b) { return std::fabs(a.x - b.x) < 1e-4f && std::fabs(a.y - b.y) < 1e-4f; }

}  // namespace

void watchframe(Watched& w, float step) {
  const Point now = w.enemy->velocity;
  if (!w.started) {
    w.home = w.enemy->position;
    w.think = WibbletThinks;
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
    w.think = WibbletThinks;
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
    v = {steer(v.x, heading.x, WibbletSteering * step), steer(v.y, heading.y, WibbletSteering * step)};
    if (think < 0) {
      heading = sethome(p, w.home, heading);
      think = WibbletThinks;
    }
  }
  return p;
}

float dropmiss(Point from, Point at, float speed, const Clearance& cave) {
  const float dx = at.x - from.x, dy = at.y - from.y, dist = std::hypot(dx, dy);
  if (dist > WibbletRange) return Unhurt;
  if (dist < 1e-3f) return 0;
  Point p = from, v{dx / dist * speed, dy / dist * speed};
  float nearest = dist;
  for (float t = 0; t < ShotLife; t += DropStep) {
    v.y += Gravity * DropStep;
    p = {p.x + v.x * DropStep, p.y + v.y * DropStep};
    const float d = std::hypot(p.x - at.x, p.y - at.y);
    if (d < nearest) nearest = d;
    else if (d > nearest + 2 * ShipRadius) break;  // past the ship and away
    if (d < ShipRadius + ShotRadius) return d;
    if (cave.at(p.x, p.y) < ShotRadius) return Unhurt;
  }
  return nearest;
}

DangerZone::DangerZone(Point home, float speed, const Clearance& cave) : centre(home) {
  const int reach = int(WibbletRange) + DangerCell;
  x0 = int(home.x) - reach;
  y0 = int(home.y) - reach;
  cols = rows = 2 * reach / DangerCell + 1;
  hit.assign(size_t(cols) * rows, 0);
  for (int r = 0; r < rows; r++)
    for (int c = 0; c < cols; c++) {
      Point p{float(x0 + c * DangerCell), float(y0 + r * DangerCell)};
      if (cave.at(p.x, p.y) < DangerShipRoom) continue;
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
