#pragma once

#include <allegro.h>

// The loaded data file and the sounds played from it.

// The loaded data file, reached by the positions of data.h. Null until
// LoadData succeeds; never unloaded.
extern DATAFILE* datafile;

// The picture at data file entry `entry`; the data file must be loaded.
BITMAP* databitmap(int entry);

// Plays data file sample `soundid` once, centred, at frequency `speed`
// (1000 is its own pitch) and volume `vol` (0 to 255). Silent while no data
// file is loaded.
void play_sound(int soundid, int speed, int vol);
