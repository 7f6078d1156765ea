#pragma once

#include <allegro.h>

#include <deque>
#include <vector>

#include "caveedit.h"
#include "classes.h"

// The level as the editor holds it: its objects as records that outlive the
// world objects (for undo and test flights), the undo history, and the cave
// picture that is redrawn after each cave edit.

// Everything an edit can change.
struct LevelState {
  Cave cave;
  std::vector<PlacedObject> objects;
};

// The live objects in the order a save writes them: gameobjects, then those
// still waiting in newobjects; the dead are left out.
std::vector<GameObject*> levelobjects();

// The records of levelobjects(); objects of other kinds are left out.
std::vector<PlacedObject> placedobjects();

// Hands new objects made from `records` to the manager, in order; each ship
// becomes the tracked player ship, as when a level is read.
void addplacedobjects(const std::vector<PlacedObject>& records);

// Replaces every live object by new ones made from `records`, in order.
// Afterwards they are all in gameobjects and the old ones wait in
// deadobjects, deleted at the next removedeads.
void replaceobjects(const std::vector<PlacedObject>& records);

// The most recent states before each edit, UndoSteps of them at most.
class UndoHistory {
 public:
  static constexpr size_t UndoSteps = 100;
  void push(LevelState before);
  bool empty() const { return steps.empty(); }
  // The state before the last edit, taken off the history. Not when empty.
  LevelState pop();

 private:
  std::deque<LevelState> steps;
};

// The cave picture of the editor: the collision map of the cave alone,
// kept so that an edited cave is drawn again, on the level set-up's
// textured rock (levelrock), in a few tens of milliseconds.
class CavePicture {
 public:
  CavePicture() = default;
  CavePicture(const CavePicture&) = delete;
  CavePicture& operator=(const CavePicture&) = delete;
  ~CavePicture();

  // Draws `cave` into background and collisionmap, stamps the bases and
  // tanks where they stand now, and copies background into vscreen. A
  // level must have been set up (initcave).
  // Throws "Problem creating bitmaps" when a copy cannot be made.
  void redraw(const Cave& cave);
  // Puts collisionmap back to the cave with the bases and tanks stamped
  // where they stand now; draws the cave first if it never was.
  void restamp(const Cave& cave);
  // The collision map of the cave alone (1 rock, 0 open), after redraw or
  // restamp; null before.
  BITMAP* caveonly() const { return cave; }

 private:
  BITMAP* cave = nullptr;
};
