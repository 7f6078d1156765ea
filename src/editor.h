#pragma once

// The level editor's passes, keys and saving; Editor() runs it.

// Names of what the editor writes, in the working directory.
constexpr const char* EditedObjectsFile = "leveledited.txt";
constexpr const char* EditedMapFile = "leveleditedmap.txt";

// Runs the level editor over the level that initlevel built until Esc, then
// writes every object to EditedObjectsFile and, when the cave was changed,
// the cave to EditedMapFile. A failed save there throws "Save error".
void runeditor();
