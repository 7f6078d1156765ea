#pragma once

#include <string>
#include <vector>

#include "editorlevel.h"
#include "editoroverlay.h"

// The two things the level editor does with the level as it stands: fly
// it, and check it with levelcheck's checks.

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
