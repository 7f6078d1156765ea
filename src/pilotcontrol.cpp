#include "pilotcontrol.h"

#include <algorithm>
#include <cmath>

#include "pilottuning.h"

namespace pilot {

namespace {

Point operator+(Point a, Point b) { return {a.x + b.x, a.y + b.y}; }
Point operator-(Point a, Point b) { return {a.x - b.x, a.y - b.y}; }
Point operator*(Point a, float k) { return {a.x * k, a.y * k}; }
float dot(Point a, Point b) { return a.x * b.x + a.y * b.y; }
float length(Point a) { return std::hypot(a.x, a.y); }
Point capped(Point a, float most) {
  float len = length(a);
  return len > most ? a * (most / len) : a;
}
float wrap(float angle) { return std::remainder(angle, 2.0f * float(M_PI)); }
Point nose(float angle) { return {std::sin(angle), -std::cos(angle)}; }

// Pushes the ship away from rock it is closing on faster than it could
// stop in the room left.
Point guard(const ShipState& ship, const Clearance& cave) {
  float room = cave.at(ship.at.x, ship.at.y) - ShipRadius;
  if (room >= GuardRoom) return {0, 0};
  Point away = cave.away(ship.at.x, ship.at.y);
  float closing = -dot(ship.speed, away);
  float allowed = GuardSpeed + GuardSpeedPerPixel * std::max(0.0f, room);
  if (closing <= allowed) return {0, 0};
  return away * ((closing - allowed) * GuardGain);
}

// Acceleration toward the wanted velocity, capped, plus the rock guard.
Point tospeed(const ShipState& ship, Point wanted, const Clearance& cave) {
  return capped((wanted - ship.speed) * SpeedGain, MaxAcceleration) + guard(ship, cave);
}

}  // namespace

void presskeys(const Keys& keys) {
  key[KEY_LEFT] = keys.left;
  key[KEY_RIGHT] = keys.right;
  key[KEY_UP] = keys.up;
  key[KEY_LCONTROL] = keys.fire;
  key[KEY_SPACE] = keys.dock;
}

Keys Attitude::accelerate(const ShipState& ship, Point wanted, float step) {
  // Gravity does all the pulling down there is; the rocket never adds to it.
  Point thrust{wanted.x, std::min(wanted.y - Gravity, 0.0f)};
  float want = length(thrust);
  float heading = want < NoThrust ? 0.0f : std::clamp(std::atan2(thrust.x, -thrust.y), -MaxTilt, MaxTilt);
  // Turned the way that keeps the nose off straight down (the short way
  // round may pass it), so the rocket never fires toward the floor.
  Keys keys;
  const float deadband = 0.5f * TurnSpeed * step, turn = heading - ship.angle;
  keys.right = turn > deadband;
  keys.left = turn < -deadband;
  float error = std::fabs(wrap(heading - ship.angle));
  float duty = error < AlignedEnough ? std::clamp(dot(nose(ship.angle), thrust) / RocketAcceleration, 0.0f, 1.0f) : 0.0f;
  // A running sum of the on-time owed, so that short pulses add up to the
  // wanted share of full thrust whatever the frame length.
  pulse = std::clamp(pulse + duty, -1.0f, 1.0f);
  if (pulse >= 0.5f) {
    keys.up = true;
    pulse -= 1.0f;
  }
  return keys;
}

Keys turnkeys(const ShipState& ship, float angle, float step) {
  Keys keys;
  float error = wrap(angle - ship.angle);
  float deadband = 0.5f * TurnSpeed * step;
  keys.right = error > deadband;
  keys.left = error < -deadband;
  return keys;
}

Point holdpoint(const ShipState& ship, Point target, float maxspeed, const Clearance& cave) {
  return tospeed(ship, capped((target - ship.at) * PositionGain, maxspeed), cave);
}

Follower::Follower(Route r) : route(std::move(r)) {}

Point Follower::acceleration(const ShipState& ship, const Clearance& cave) {
  if (route.empty()) return holdpoint(ship, ship.at, 0, cave);
  // The nearest point, searched a little behind and further ahead.
  size_t lo = index > SearchBehind ? index - SearchBehind : 0, hi = std::min(route.size() - 1, index + SearchAhead);
  float best = 1e9f;
  for (size_t i = lo; i <= hi; i++) {
    float d = length(route[i].at - ship.at);
    if (d < best) {
      best = d;
      index = i;
    }
  }
  if (left() < HoldDistance) return holdpoint(ship, route.back().at, std::max(route[index].speed, HoldSpeed), cave);
  size_t ahead = std::min(route.size() - 1, index + TangentSpan);
  Point along = route[ahead].at - route[index].at;
  along = along * (1.0f / std::max(length(along), 1e-3f));
  const float speed = std::max(std::min(route[index].speed, brakingspeed(ship, along)), LeastSpeed);
  Point off = ship.at - route[index].at;
  Point across = off - along * dot(off, along);
  Point wanted = along * speed - capped(across * CrossGain, MaxCorrection);
  return tospeed(ship, wanted, cave);
}

// The route's speeds allow for braking to the ones ahead, but before the
// rocket can brake the nose has to turn, and the ship flies on meanwhile:
// the fastest speed from which every point ahead is still reached at its
// own speed, braking only once the nose has come round.
float Follower::brakingspeed(const ShipState& ship, Point along) const {
  const Point brake{-along.x * TurnBraking, -along.y * TurnBraking - Gravity};
  const float heading = std::clamp(std::atan2(brake.x, -brake.y), -MaxTilt, MaxTilt);
  const float turning = std::fabs(heading - ship.angle) / TurnSpeed;
  const float coasting = length(ship.speed) * turning;
  float fastest = 1e9f;
  for (size_t j = index; j < std::min(route.size(), index + BrakingLookahead); j++) {
    const float room = float(j - index) * Spacing - coasting;
    const float v = route[j].speed;
    fastest = std::min(fastest, room <= 0 ? v : std::sqrt(v * v + 2 * TurnBraking * room));
  }
  return fastest;
}

bool Follower::arrived(const ShipState& ship) const {
  if (route.empty()) return true;
  return length(ship.at - route.back().at) < ArrivedDistance && length(ship.speed) < ArrivedSpeed;
}

float Follower::offroute(const ShipState& ship) const {
  if (route.empty()) return 0;
  return length(ship.at - route[index].at);
}

}  // namespace pilot
