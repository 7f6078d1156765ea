#pragma once

#include "checks.h"

// Loading a level for checking with the game's own level set-up: initcave
// on the map file, then InitObjects on the objects file. Needs Allegro and
// `datafile` ready.

// A loaded level: the checks' view of it plus the copy of the cave-only
// collision map it owns. `level.solid` is the game's collisionmap. Its
// end clears the world manager, deleting the objects the level made, so
// one loaded level lives at a time.
class LoadedLevel {
 public:
  CheckedLevel level;
  LoadedLevel() = default;
  LoadedLevel(const LoadedLevel&) = delete;
  LoadedLevel& operator=(const LoadedLevel&) = delete;
  ~LoadedLevel();
};

// Loads the two files into `loaded`. On a load error returns false with the
// game's own message in `error.text` and, when an objects record failed, its
// record number in `error.record`. The objects' trace lines are not shown.
bool loadlevel(const char* mapfile, const char* objectsfile, LoadedLevel& loaded, Problem& error);

// describeobjects of the world manager's new-object list: the objects in
// the order the objects file created them.
std::vector<LevelObject> collectobjects();
