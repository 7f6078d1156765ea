#pragma once

#include <allegro.h>

// Plain words over a level's view when play stops or is about to: which
// words, and how they look (white in the dialog font on a dark band).

// Game seconds a store of the ship stays empty before the player is told.
constexpr float OutOfFuelDelay = 2.0f;
// Screen row where the band of words starts: below the panel, above the
// ship in the middle of the view.
constexpr int StopWordsTop = 96;

// What the frame loop knows when it chooses the words.
struct LevelStop {
  bool paused = false;    // P has stopped the world
  bool complete = false;  // the ship docked: the banner says so
  bool shiplost = false;  // the ship has broken up
  bool leaving = false;   // Esc has ended the level
  float fuelempty = 0;    // game seconds hydrogen or oxygen has been empty
};

// "Paused", "Ship lost", "Leaving the level", or "Out of fuel: press Esc to
// leave the level", in that order of precedence; null when there is nothing
// to say or the level was completed.
const char* stopwords(const LevelStop& stop);

// A rectangle of the screen, pixels.
struct WordsBox {
  int x, y, w, h;
};

// Where `text` in font `f` goes: a band round it, centred on column `cx`
// with its top on row `y`.
WordsBox wordsbox(FONT* f, const char* text, int cx, int y);

// Darkens `box` on `target` (its top-left corner at (ox, oy) of `target`)
// and writes `text` in white in it.
void drawwords(BITMAP* target, FONT* f, const char* text, const WordsBox& box, int ox = 0, int oy = 0);
