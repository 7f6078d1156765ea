#pragma once

#include <vector>

#include "pilotcontrol.h"

// Getting out of the way of drops in flight. Every drop falls in a plain
// arc, so the pilot sees where each one goes; it checks the ship's present
// course against them and, when one would hit, picks the steady manoeuvre
// (nose toward an angle, rocket on or off) that passes furthest from all of
// them without flying into rock.

namespace pilot {

class Clearance;

struct Drop {
  Point at;
  Point speed;
};

// Every live drop in the world: the wibblets', and the ship's own, which
// can fall back on it.
std::vector<Drop> dropsinflight();

// A steady way of flying for a moment: the nose turned toward `angle`
// (turning at the ship's rate) with the rocket held on, or left off.
struct Manoeuvre {
  float angle;
  bool thrust;
};

// How a course fares: the least room between the ship and any drop (past
// the two radii; below 0 is a hit) and between the ship and rock (past its
// radius), over the next `horizon` seconds.
struct Fare {
  float droproom;
  float rockroom;
};

// The course of a ship accelerating steadily at `accel` (gravity included),
// or resting where it is when `seated`.
Fare steadycourse(const ShipState& ship, Point accel, bool seated, const std::vector<Drop>& drops, const Clearance& cave,
                  float horizon);
// The course of a ship flying the manoeuvre; a seated ship with the rocket
// off stays put.
Fare manoeuvrecourse(const ShipState& ship, Manoeuvre m, bool seated, const std::vector<Drop>& drops, const Clearance& cave,
                     float horizon);

// When a drop would come too near on the present course (the ship
// accelerating at `planned`, or seated), the keys of the manoeuvre that
// fares best for a frame of `step` seconds, and true; false when the
// present course is safe.
bool evade(const ShipState& ship, Point planned, bool seated, const std::vector<Drop>& drops, const Clearance& cave, float step,
           Keys& keys);

}  // namespace pilot
