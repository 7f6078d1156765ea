#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "classes.h"

// One level flown by the pilot from the start base to the exit pad: route
// legs through the tanks the stores need, wibblets shot on the way, the
// docking, and what it cost.

namespace pilot {

struct FlightSettings {
  float step = 0.01f;       // game seconds per frame (the game allows up to 0.05)
  float timelimit = 900.0f; // game seconds before the pilot gives up
};

// A place on the flown path where the ship lost shield.
struct Damage {
  Point at;
  bool rock;       // a touch of rock, a base or a tank; otherwise a drop or a wibblet
  float strength;  // rock: the impact speed it cost shield for, px/s
};

struct FlightReport {
  bool finished = false;
  std::string why;  // what stopped an unfinished flight
  float time = 0;   // game seconds to completion or to the stop
  float underfire = 0;  // game seconds of it with a live wibblet able to fire on the ship (checks.h)
  float shield = 0, hydrogen = 0, oxygen = 0, acid = 0;
  AmmoType acidtype = Hydrochloric;
  int wibblets[5] = {};  // by EnemyType, at the start
  int killed[5] = {};
  std::vector<Damage> damage;
  std::vector<std::string> tanks;  // tanks drawn from, in order
  std::vector<Point> trail;        // the ship's path, a point every fifth of a second
  Point stop{0, 0};                // where the ship was when the flight ended
};

// Flies the level that is set up in the world now, headless, frame by frame
// with the game's own steps, pressing only the ship's keys (Allegro's key[],
// all let go at the end). Writes a line per event to `log` when it is not
// null. Used by flylevels and by the level editor's pilot.
//
// It needs: the level's pictures (background, vscreen and a collision map
// with the bases and tanks stamped in it), and fresh objects in the
// manager's lists (newobjects or gameobjects) with one Ship and one exit
// base. A ship takes its engine's push and its gun's acid from the player
// record when it is made, so make the objects after playerinfo.init() to
// fly a new game's Mk1 with the plain gun, as flylevels does. The flight
// gives the player record back as it was. It draws on rand(): seed it
// first for a repeatable flight.
//
// Afterwards the objects are as the flight left them (tanks drawn from,
// wibblets killed, the ship docked or lost, drops and particles in flight),
// and the camera follows the ship: a caller that goes on with the level
// starts the manager afresh (initmanager) and adds its objects again. The
// pictures are as they were.
FlightReport flylevel(const FlightSettings& settings, std::ostream* log);

// What the pilot reckons a trip of `pixels` along a route takes from each
// gas store: something for the climb out, the braking and the settling,
// and the rest by the pixel. It plans its stops at tanks by it.
float tripfuel(float pixels);

}  // namespace pilot
