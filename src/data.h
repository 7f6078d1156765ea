#pragma once

#include <allegro.h>

#include <string>

// Positions of the entries of data.dat. Every user reaches its picture,
// sound or font by position; the names inside the file mean nothing.
enum DataEntry {
  DataShotSound = 0,         // SAMPLE: a shot fired (2000 Hz, 128) or bursting (1000, 255)
  DataTitle = 1,             // BITMAP: title picture of the main menu, 640x120
  DataBaseStart = 2,         // BITMAP: start base
  DataBaseExit = 3,          // BITMAP: exit base (teleporter pad)
  DataDirt3 = 4,             // BITMAP: third dirt texture, 32-bit with alpha
  DataDirt2 = 5,             // BITMAP: second dirt texture, 32-bit with alpha
  DataDirt1 = 6,             // BITMAP: first dirt texture, 32-bit with alpha
  DataExplosion = 7,         // BITMAP: default explosion picture
  DataShipExplodeSound = 8,  // SAMPLE: the ship's final explosion
  DataFont = 9,              // FONT: the dialog font
  DataPanel = 10,            // BITMAP: instrument panel background, 64x48
  DataUnused11 = 11,         // never read
  DataBlueWibblet = 12,      // BITMAP
  DataUnused13 = 13,         // never read
  DataUnused14 = 14,         // never read
  DataGreenWibblet = 15,     // BITMAP
  DataOrangeWibblet = 16,    // BITMAP
  DataYellowWibblet = 17,    // BITMAP
  DataUnused18 = 18,         // never read
  DataRock = 19,             // BITMAP: rock texture; its top-left 128x128 tiles
  DataShipHitSound = 20,     // SAMPLE: the ship being hit
  DataShip = 21,             // BITMAP: the ship, nose up
  DataEnemyDeathSound = 22,  // SAMPLE: a wibblet dying
  DataEnemyExplosion = 23,   // BITMAP: the bursts a dying wibblet leaves
  DataEmptyTank = 24,        // BITMAP: a drained tank
  DataTankHCl = 25,          // BITMAP: hydrochloric acid tank (yellow)
  DataTankHF = 26,           // BITMAP: hydrofluoric acid tank (green)
  DataTankHydrogen = 27,     // BITMAP: hydrogen tank (red)
  DataTankOxygen = 28,       // BITMAP: oxygen tank (blue)
  DataCount = 29             // the game needs at least this many entries
};

// The Allegro object type the game expects at each position; 0 where the
// entry is never read and any type will do.
extern const int DataEntryTypes[DataCount];

// Walks the structure of a datafile on disk without trusting it: the
// header, every property, and every object the way Allegro's loader reads
// it (bitmaps and sprites of every depth, run-length sprites, samples, MIDI,
// fonts of every kind, nested files; palettes, animations, info and any other
// type as raw bytes), each within the bytes really present. Allegro's own
// loader crashes on truncated or damaged files, so this runs first. It also
// holds the file to a budget: what the loader would keep in memory (every
// bitmap, sprite and coloured glyph at 4 bytes a pixel with its headers,
// 1-bit glyphs, samples, MIDI and raw data, an entry per object) at most
// 64 MB, at most 64 properties on an object and 4,096 in the file. Returns
// false and sets `why` (the object's place and the reason, under 300
// characters) when the file is missing, compressed, damaged or over budget;
// otherwise sets `loaded`, when given, to the bytes charged to the budget.
bool checkdatafile(const char* filename, std::string& why, long long* loaded = nullptr);

// True when a loaded datafile has at least DataCount entries and every used
// entry has the type the game expects; otherwise sets `why`.
bool checkdataentries(const DATAFILE* data, std::string& why);

// The whole way in for a data file: checkdatafile, load_datafile with the
// colour depth and conversion already set, then checkdataentries. Returns
// the loaded file (the caller owns it), or null with `why` set and nothing
// left loaded. Used by the game's LoadData and by levelcheck.
DATAFILE* loaddatafile(const char* filename, std::string& why);
