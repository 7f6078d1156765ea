#pragma once

#include <allegro.h>

#include <string>

// The program shell: start-up, display mode, data loading, the game's flow
// and the way into the level editor.

// Colour depth the display mode was set with; 0 while none is set.
extern int chosenDepth;

// Sets a 640x480 mode at the first depth of 16, 32, 24 that works: windowed
// for the editor, full screen for the game.
bool SetupMode(bool editor);

// As SetupMode, in a window or full screen whatever runs: "marsflyer window"
// plays the game in a window.
bool SetupDisplay(bool windowed);

// Loads "data.dat" (from the working directory, or the installed data
// directory: gamefiles.h) with the colour conversion that suits
// chosenDepth; rejects a damaged file with "Failed to load data.".
bool LoadData();

// Main menu, levels, shop and bonuses until the player quits.
// `startlevel` is the highest level the main menu offers.
void PlayGame(int startlevel);

// The level editor over the level that initlevel built (runeditor, in
// editor.h); saves every live object to "leveledited.txt", and a changed
// cave to "leveleditedmap.txt", when Esc is pressed.
void Editor();

// Everything main does: install Allegro, read the command line, run the game
// or the editor, and return the exit status (0, 1, 2 or 3).
int runmarsflyer(int argc, char** argv);
