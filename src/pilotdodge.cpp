#include "pilotdodge.h"

#include <algorithm>
#include <cmath>

#include "manager.h"
#include "pilotplan.h"
#include "pilottuning.h"
#include "shot.h"

namespace pilot {

namespace {

Point nose(float angle) { return {std::sin(angle), -std::cos(angle)}; }

// Where each drop is at each step of the horizon; a drop that has burst on
// rock is left out from then on.
struct DropPaths {
  int steps = 0;
  std::vector<std::vector<Point>> paths;
  DropPaths(const std::vector<Drop>& drops, const Clearance& cave, float horizon) : steps(int(horizon / DodgeStep)) {
    for (const Drop& d : drops) {
      std::vector<Point> path;
      Point p = d.at, v = d.speed;
      for (int k = 0; k < steps; k++) {
        v.y += Gravity * DodgeStep;
        p = {p.x + v.x * DodgeStep, p.y + v.y * DodgeStep};
        if (cave.at(p.x, p.y) < ShotRadius) break;
        path.push_back(p);
      }
      paths.push_back(std::move(path));
    }
  }
};

void account(Fare& fare, const DropPaths& drops, int k, Point p, const Clearance& cave) {
  if (float(k + 1) * DodgeStep >= EarliestHit)
    for (const std::vector<Point>& path : drops.paths)
      if (k < int(path.size()))
        fare.droproom = std::min(fare.droproom, std::hypot(path[size_t(k)].x - p.x, path[size_t(k)].y - p.y) - ShipRadius - ShotRadius);
  fare.rockroom = std::min(fare.rockroom, cave.at(p.x, p.y) - ShipRadius);
}

Fare steady(const ShipState& ship, Point accel, bool seated, const DropPaths& drops, const Clearance& cave) {
  Fare fare{1e9f, 1e9f};
  for (int k = 0; k < drops.steps; k++) {
    const float t = float(k + 1) * DodgeStep;
    Point p = seated ? ship.at : Point{ship.at.x + ship.speed.x * t + 0.5f * accel.x * t * t, ship.at.y + ship.speed.y * t + 0.5f * accel.y * t * t};
    account(fare, drops, k, p, cave);
  }
  return fare;
}

Fare flown(const ShipState& ship, Manoeuvre m, bool seated, const DropPaths& drops, const Clearance& cave) {
  Fare fare{1e9f, 1e9f};
  Point p = ship.at, v = ship.speed;
  float angle = ship.angle;
  const bool stays = seated && !m.thrust;
  for (int k = 0; k < drops.steps; k++) {
    const float turn = std::remainder(m.angle - angle, 2.0f * float(M_PI));
    angle += std::clamp(turn, -TurnSpeed * DodgeStep, TurnSpeed * DodgeStep);
    if (!stays) {
      if (m.thrust)
        v = {v.x + nose(angle).x * RocketAcceleration * DodgeStep, v.y + nose(angle).y * RocketAcceleration * DodgeStep};
      v.y += Gravity * DodgeStep;
      p = {p.x + v.x * DodgeStep, p.y + v.y * DodgeStep};
    }
    account(fare, drops, k, p, cave);
  }
  return fare;
}

float score(const Fare& f) {
  float rock = f.rockroom < 0 ? -RockPenalty : RockWeight * std::min(f.rockroom, RockThatCounts);
  return std::min(f.droproom, RoomThatCounts) + rock;
}

}  // namespace

std::vector<Drop> dropsinflight() {
  std::vector<Drop> drops;
  for (std::vector<GameObject*>* list : {&gameobjects, &newobjects})
    for (GameObject* obj : *list)
      if (Shot* s = dynamic_cast<Shot*>(obj))
        if (!s->dead) drops.push_back({s->position, s->velocity});
  return drops;
}

Fare steadycourse(const ShipState& ship, Point accel, bool seated, const std::vector<Drop>& drops, const Clearance& cave,
                  float horizon) {
  return steady(ship, accel, seated, DropPaths(drops, cave, horizon), cave);
}

Fare manoeuvrecourse(const ShipState& ship, Manoeuvre m, bool seated, const std::vector<Drop>& drops, const Clearance& cave,
                     float horizon) {
  return flown(ship, m, seated, DropPaths(drops, cave, horizon), cave);
}

bool evade(const ShipState& ship, Point planned, bool seated, const std::vector<Drop>& drops, const Clearance& cave, float step,
           Keys& keys) {
  if (drops.empty()) return false;
  const DropPaths paths(drops, cave, DodgeHorizon);
  if (steady(ship, planned, seated, paths, cave).droproom >= SafeRoom) return false;
  // The least change that gets clear: coasting (or staying seated) when
  // that will do, else the push that needs the nose turned least; when
  // nothing gets clear, whatever passes furthest from the drops and rock.
  Manoeuvre best{ship.angle, false};
  Fare fare = flown(ship, best, seated, paths, cave);
  bool clear = fare.droproom >= SafeRoom && fare.rockroom >= 0;
  float bestscore = clear ? 0.0f : score(fare);
  for (float a : DodgeAngles) {
    if (clear) break;
    Manoeuvre m{a, true};
    fare = flown(ship, m, seated, paths, cave);
    if (fare.droproom >= SafeRoom && fare.rockroom >= 0) {
      // Angles are tried nearest upright first: the first clear one is kept.
      best = m;
      clear = true;
      break;
    }
    float s = score(fare);
    if (s > bestscore) best = m, bestscore = s;
  }
  keys = turnkeys(ship, best.angle, step);
  keys.up = best.thrust;
  return true;
}

}  // namespace pilot
