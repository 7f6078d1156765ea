#pragma once

#include <string>

// Where the game finds the files it reads. Run from its build, or by hand,
// it reads data.dat and levels/ in its working directory. The launcher of
// an installed game runs it in the player's own directory and names the
// installed data directory in the environment variable MARSFLYER_DATA:
// data.dat is then always the installed one, and a level file too, unless
// the player has one of that name in levels/ of the working directory.

// The environment variable that names the installed data directory.
extern const char* const DataDirectoryVariable;

// "data.dat", or the one in the installed data directory.
std::string datafilepath();

// `name`, a path below the working directory such as "levels/level3.txt",
// when anything lies there (a link to nothing too, so that the player hears
// of it) or no data directory is named; otherwise the file of that name in
// the data directory.
std::string levelfilepath(const std::string& name);
