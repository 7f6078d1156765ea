#include "pilotstation.h"

#include <cmath>

#include "pilotcontrol.h"
#include "pilotplan.h"
#include "pilottuning.h"
#include "pilotwibblets.h"

namespace pilot {

namespace {

Point operator+(Point a, Point b) { return {a.x + b.x, a.y + b.y}; }
Point operator*(Point a, float k) { return {a.x * k, a.y * k}; }
Point nose(float angle) { return {std::sin(angle), -std::cos(angle)}; }

// The nose angle of the drop from `from` through `target` with the
// elevation root chosen by `high`; false when out of reach.
bool solve(Point from, Point target, bool high, float& angle) {
  const float dx = target.x - from.x, across = std::fabs(dx), rise = from.y - target.y;
  const float v2 = ShipShotSpeed * ShipShotSpeed;
  const float disc = v2 * v2 - Gravity * (Gravity * across * across + 2 * rise * v2);
  if (disc < 0 || across < 1.0f) return false;
  const float elevation = std::atan((v2 + (high ? 1.0f : -1.0f) * std::sqrt(disc)) / (Gravity * across));
  angle = (dx > 0 ? 1.0f : -1.0f) * (float(M_PI) / 2 - elevation);
  return true;
}

// True when the drop fired at `angle` from the nose reaches the target
// without meeting rock; `flight` is when it is nearest.
bool clearpath(Point from, float angle, Point target, const Clearance& cave, float longest, float& flight) {
  const Point start = from + nose(angle) * ShipRadius, v = nose(angle) * ShipShotSpeed;
  float nearest = 1e9f;
  for (float t = 0; t <= longest; t += PathStep) {
    Point p{start.x + v.x * t, start.y + v.y * t + 0.5f * Gravity * t * t};
    const float d = std::hypot(p.x - target.x, p.y - target.y);
    if (d < nearest) {
      nearest = d;
      flight = t;
    } else if (nearest < NearTarget) {
      return true;  // past its nearest, and near enough
    }
    if (d >= NearTarget && cave.at(p.x, p.y) < PathRoom) return false;
  }
  return nearest < NearTarget;
}

// The choice: route cost in pixels, plus pixels for each second of a
// drop's flight (a longer flight misses a swinging wibblet more often),
// plus pixels for hovering through each hit (fuel) and for a nose tilted
// beyond what holds the ship up, plus a penalty for a place within reach
// of a wibblet's drops.
float stationcost(float routecost, float flight, float angle, bool seat, bool safe, const StationNeeds& needs) {
  float cost = routecost + PixelsPerFlightSecond * flight;
  if (!seat) cost += HoverPixels + HoverPixelsPerHit * float(needs.hits) + TiltPixels * std::max(0.0f, std::fabs(angle) - EasyTilt);
  if (!safe) cost += UnsafePixels;
  return cost;
}

bool outofreach(Point p, const std::vector<const DangerZone*>& dangers) {
  for (const DangerZone* d : dangers)
    if (d->at(p)) return false;
  return true;
}

}  // namespace

bool lob(Point from, Point target, const Clearance& cave, float longest, float& angle, float& flight, float steepest,
         const float* nearto) {
  bool found = false;
  for (bool high : {false, true}) {
    float a;
    if (!solve(from, target, high, a)) continue;
    // Once more from the nose, where the drop really starts.
    if (!solve(from + nose(a) * ShipRadius, target, high, a)) continue;
    if (std::fabs(a) < steepest) continue;
    float t = 0;
    if (!clearpath(from, a, target, cave, longest, t)) continue;
    // The low drop is quicker; the one nearer the nose, when asked for,
    // is kept to, so a swinging target does not toss the aim between them.
    if (found && (!nearto || std::fabs(std::remainder(a - *nearto, 2.0f * float(M_PI))) >=
                                 std::fabs(std::remainder(angle - *nearto, 2.0f * float(M_PI)))))
      continue;
    angle = a;
    flight = t;
    found = true;
  }
  return found;
}

bool aimdrop(const ShipState& ship, const std::function<Point(float)>& where, const Clearance& cave, float longest, float& angle,
             float& flight) {
  // The drop carries the ship's speed: aim as from a ship at rest at a
  // target moved back by that speed, and go round again with the flight
  // time found, until it settles.
  Point now = where(0);
  flight = std::hypot(now.x - ship.at.x, now.y - ship.at.y) / ShipShotSpeed;
  for (int round = 0; round < AimRounds; round++) {
    Point t = where(flight);
    Point goal{t.x - ship.speed.x * flight, t.y - ship.speed.y * flight};
    if (!lob(ship.at, goal, cave, longest, angle, flight, SteepestDrop, &ship.angle)) return false;
  }
  return true;
}

Point approachto(Point seat, const Clearance& cave) {
  for (float up = LowestApproach; up <= HighestApproach; up += 2.0f) {
    Point p{seat.x, seat.y - up};
    if (cave.at(p.x, p.y) >= MinClearance + 1.0f) return p;
  }
  return seat;
}

bool choosestation(const Clearance& cave, const Spread& from, const std::vector<Point>& seats, Point target,
                   const std::vector<const DangerZone*>& dangers, const StationNeeds& needs, Station& best) {
  float bestcost = 1e30f;
  auto consider = [&](Point at, bool seat) {
    const float d = std::hypot(at.x - target.x, at.y - target.y);
    if (d < NearestStation || d > FarthestStation) return;
    Point approach = seat ? approachto(at, cave) : at;
    if (!from.reaches(approach)) return;
    float angle, flight, other;
    if (!lob(at, target, cave, LongestFlight, angle, flight)) return;
    // In the air the ship sinks while it turns to aim: it needs room below,
    // and no nose turned further than it can come back from.
    if (!seat && (std::fabs(angle) > SteepestHoverAim || cave.at(at.x, at.y + SinkRoom) < HoverRoom)) return;
    // The wibblet swings about its home: it must be hit all round it.
    for (Point off : SwingPoints)
      if (!lob(at, target + off, cave, LongestFlight, other, other)) return;
    const bool safe = outofreach(at, dangers) && (seat || outofreach({at.x, at.y + SinkRoom}, dangers));
    const float cost = stationcost(from.costto(approach), flight, angle, seat, safe, needs);
    if (cost >= bestcost) return;
    bestcost = cost;
    best = {at, approach, seat, flight, safe};
  };
  for (Point s : seats) consider(s, true);
  for (float y = target.y - FarthestStation; y <= target.y + FarthestStation; y += Lattice)
    for (float x = target.x - FarthestStation; x <= target.x + FarthestStation; x += Lattice)
      if (cave.at(x, y) >= HoverRoom) consider({x, y}, false);
  return bestcost < 1e30f;
}

}  // namespace pilot
