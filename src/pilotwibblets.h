#pragma once

#include <vector>

#include "classes.h"
#include "pilottuning.h"

class Enemy;

// What the pilot knows of wibblets: where one will be, and where its drops
// can reach the ship.
//
// A wibblet settles on its home in its first frame, then once a second (on
// one second in eleven, after two) sets off toward home at its cruising
// speed, steering toward that velocity a step each frame against gravity,
// so it swings about home. The pilot mirrors that from what it sees: the
// position and velocity each frame, the home from the first.

namespace pilot {

class Clearance;

struct Watched {
  Enemy* enemy = nullptr;  // borrowed; forgotten once it dies
  Point home{0, 0};
  Point heading{0, 0};  // the velocity it steers toward
  float think = 0;      // seconds until it next sets off toward home
  bool started = false;
  // After a setting off the pilot cannot see at once whether the wibblet
  // took the new heading or waited a second more with the old one: the
  // next frame's steering tells.
  Point waited{0, 0};   // the old heading, while that is undecided
  bool undecided = false;
  Point lastspeed{0, 0};
};

// Follows the wibblet through one frame of `step` seconds just run.
void watchframe(Watched& w, float step);

// Its position `seconds` from now, frame by frame as it moves itself
// (rock aside), assuming it sets off again every second.
Point foresee(const Watched& w, float seconds, float step);

// How near a wibblet's drop, fired from `from` straight at a ship whose
// centre stays at `at`, passes that centre: pixels, or Unhurt when the ship
// is out of the wibblet's range or the drop bursts on rock first.
constexpr float Unhurt = 1e6f;
float dropmiss(Point from, Point at, float speed, const Clearance& cave);

// Where a ship that keeps still would be hit by one wibblet's drops: every
// place within its range that a drop aimed at the ship from somewhere in
// the wibblet's swing about its home passes within DropReach. Held on a
// coarse grid around the home.
class DangerZone {
 public:
  DangerZone(Point home, float speed, const Clearance& cave);
  bool at(Point p) const;
  Point home() const { return centre; }

 private:
  Point centre;
  int x0 = 0, y0 = 0, cols = 0, rows = 0;
  std::vector<unsigned char> hit;
};

}  // namespace pilot
