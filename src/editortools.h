#pragma once

#include <functional>
#include <string>
#include <vector>

#include "editorlevel.h"
#include "editoroverlay.h"

// What the level editor does with the level as it stands: fly it, let the
// game's pilot fly it, and check it with levelcheck's checks.

// Flies the level with the game's own frame loop, rules and ending (Esc,
// docking or losing the ship): a fresh ship from the placed one and fresh
// objects as placed, with the upgrades of a new game. Afterwards the world
// holds new editor objects made from the same records, in the same order,
// and the player record is as it was. The cave picture must be current.
// Writes no file; empties the keyboard buffer after the flight. Returns
// false, flying nothing, when no ship is placed.
bool testflight(CavePicture& picture, const Cave& cave);

// One problem a check found, as the editor shows it.
struct FoundProblem {
  std::string words;    // in plain words, naming objects and places
  bool placed = false;  // it has a place: the middle of an object, or a point
  int x = 0, y = 0;     // world pixels
};

// What a check of the level found.
struct CheckOutcome {
  std::vector<FoundProblem> problems;  // in the checks' order
  std::vector<CheckMark> marks;        // one per problem that has a place
  std::string summary;                 // for the status line
  double seconds = 0;                  // how long the check took
};

// Runs the level designer's checks on the cave and the objects where they
// stand now.
CheckOutcome checkeditedlevel(CavePicture& picture, const Cave& cave);

// What the pilot made of the level.
struct PilotOutcome {
  std::string result;        // "The pilot finished in 80 s with ... left", or where it stopped
  std::vector<Point> route;  // where the ship flew
};

// Lets the game's pilot fly the level as it stands, headless, always alike
// (rand() is seeded first). `progress` is told each thing the pilot does
// ("12.5 s: drew from the hydrogen tank") while it flies. Afterwards the
// world holds new editor objects made from the same records, in the same
// order; the player record is as it was. Writes no file.
PilotOutcome pilotflight(CavePicture& picture, const Cave& cave,
                         const std::function<void(const std::string&)>& progress);
