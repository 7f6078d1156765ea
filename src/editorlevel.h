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

// The most recent states before each edit, UndoSteps of them at most, and
// the states that undoing left behind, for redoing.
class UndoHistory {
 public:
  static constexpr size_t UndoSteps = 100;
  // An edit is about to change the level from `before`: it can be undone,
  // and nothing undone earlier can be redone any more.
  void push(LevelState before);
  bool empty() const { return undos.empty(); }
  bool canredo() const { return !redos.empty(); }
  // The state before the last edit, taken off the history; `now` is kept
  // for redo. Not when empty.
  LevelState undo(LevelState now);
  // The state the last undo left, taken off the history; `now` is kept for
  // undo. Only when canredo.
  LevelState redo(LevelState now);

 private:
  std::deque<LevelState> undos, redos;
};

// Where the ship starts above its start base's position: its radius (23)
// above the 24-pixel-high base with a little room, as the shipped levels
// and the README's level rules have it.
constexpr int ShipAboveStartBase = 58;

// The floor below (x, y) in `rock` (non-zero solid): the first solid row at
// or below y under open cave, where a base or tank stands on rock. A point
// in rock looks up to a few pixels for the open cave it sank from. -1 when
// there is no floor below within the bitmap.
int floorbelow(BITMAP* rock, int x, int y);

// Where g drops `obj`: a base or tank onto the floor of `rock` below it; the
// ship onto the nearest start base below it whose picture spans the ship's
// x, ShipAboveStartBase above the base. False, leaving `to`, when there is
// nothing below to stand on or `obj` is of another kind.
bool dropplace(const GameObject* obj, BITMAP* rock, Point& to);

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
