#pragma once

// The editor's key table, the one list of its keys read by the dispatch,
// the help and the status line's reminder, and the files a save writes.

#include <string>
#include <vector>

struct EditorState;

// Names of what the editor writes, in the working directory.
constexpr const char* EditedObjectsFile = "leveledited.txt";
constexpr const char* EditedMapFile = "leveleditedmap.txt";

// Acts on one key taken from the keyboard buffer (readkey's code) by the
// editor's key table; a key the table lacks does nothing.
void typedkey(EditorState& ed, int code);
// The help's lines and the status line's reminder of the keys, from the
// same table.
std::vector<std::string> helplines();
std::string keyhint(const EditorState& ed);
