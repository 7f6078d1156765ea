#pragma once

#include <random>

// Helpers of the soak and frame benchmarks.

// Resident memory of this process now, in kilobytes (/proc/self/statm).
long residentkb();

// A pilot that plays by holding the ship's keys (turn, thrust, fire, SPACE)
// for random spells, from its own seeded random source so the game's rand()
// sequence is left alone.
class ScriptedPilot {
 public:
  explicit ScriptedPilot(unsigned seed) : random(seed) {}
  // Advances the script by `seconds` of game time and sets Allegro's key[].
  void step(float seconds);
  // Lets go of every key the pilot holds.
  void release();

 private:
  std::mt19937 random;
  float spell = 0;  // game seconds left of the current holds
  void choose();
};
