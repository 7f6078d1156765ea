#pragma once

#include "classes.h"
#include "pilotplan.h"

// Flying the ship with its own keys: the nose turned toward the thrust the
// moment asks for and the rocket pulsed to give it on average, routes
// followed at their speeds, and points held.

namespace pilot {

// What the pilot reads of the ship each frame.
struct ShipState {
  Point at;
  Point speed;
  float angle;  // 0 nose up, positive clockwise
};

// The keys the pilot holds this frame.
struct Keys {
  bool left = false, right = false, up = false, fire = false, dock = false;
};

// Sets Allegro's key[] for the ship's controls (fire on left Ctrl, dock on SPACE).
void presskeys(const Keys& keys);

// Keys that turn the nose toward `angle` over frames of `step` seconds, rocket off.
Keys turnkeys(const ShipState& ship, float angle, float step);

// Turns the nose and pulses the rocket. One per flight: it carries the
// rocket's pulse pattern from frame to frame.
class Attitude {
 public:
  // Keys that give the ship `wanted` (px/s^2, gravity included) on
  // average over the next frames of `step` seconds.
  Keys accelerate(const ShipState& ship, Point wanted, float step);

 private:
  float pulse = 0;  // rocket on-time owed (+) or overdrawn (-), in frames
};

// Acceleration that brings the ship to rest at `target`, no faster than
// `maxspeed`, keeping it off rock.
Point holdpoint(const ShipState& ship, Point target, float maxspeed, const Clearance& cave);

// Follows a route at its speeds and comes to rest at its end.
class Follower {
 public:
  explicit Follower(Route route);
  Point acceleration(const ShipState& ship, const Clearance& cave);
  // At the end of the route and nearly at rest.
  bool arrived(const ShipState& ship) const;
  // Pixels of the route behind the ship and ahead of it.
  float done() const { return float(index) * Spacing; }
  float left() const { return float(route.size() - 1 - index) * Spacing; }
  const Route& path() const { return route; }
  // How far the ship is from the route, pixels.
  float offroute(const ShipState& ship) const;

 private:
  Route route;
  size_t index = 0;  // the route point nearest the ship
  float brakingspeed(const ShipState& ship, Point along) const;
};

}  // namespace pilot
