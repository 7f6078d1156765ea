#pragma once

#include <allegro.h>

#include <vector>

// The player's map of a level, shown over the paused view on M: the whole
// cave scaled to the screen and drawn as the overview pictures draw it,
// dark where it has not yet been on screen, with the ship and its heading,
// the exit pad always, and the bases, tanks and wibblets in the cave seen
// so far. Everything is given in level pixels; the frame loop feeds it and
// knows nothing of how it draws.

// Side of a cell of the seen-cave grid, level pixels.
constexpr int SeenCellSize = 32;

// Which parts of a level have been on screen, as a grid of square cells.
class SeenCave {
 public:
  // A level of w x h pixels with nothing seen.
  void reset(int w, int h);
  // Marks seen every cell that a screen window with its top-left corner at
  // level pixel (x, y) overlaps, even in part. Returns at once when the
  // window still covers the cells it covered last time.
  void see(int x, int y);
  // Whether the cell holding level pixel (x, y) has been seen; never
  // outside the level.
  bool seen(int x, int y) const;

 private:
  // The cells a window covered: first and last column and row.
  struct Span {
    int left = 0, top = 0, right = -1, bottom = -1;
    bool operator==(const Span& o) const {
      return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
  };
  int width = 0, height = 0;  // the level's, pixels
  int columns = 0, rows = 0;
  std::vector<char> cells;  // row by row, 1 when seen
  Span last;                // what the last window covered
};

// One thing the map may show, where the game keeps it.
struct MapMark {
  enum Kind { Ship, Exit, Base, Wibblet };
  Kind kind;
  int x, y;               // centre; bases and tanks: the middle of their bottom edge
  float angle = 0;        // the ship's heading, radians, 0 nose up, clockwise
  int colour = 0;         // a wibblet's drops
  BITMAP* sprite = nullptr;  // its picture now (borrowed); null for the ship
};

// At the start of a level's frame loop: scales `cave` (the level picture)
// into the map, tints the open pixels of `collision` (0 open), and forgets
// what was seen. Throws "Problem creating bitmaps".
void startplayermap(BITMAP* cave, BITMAP* collision);

// Every frame: the screen window at level pixel (x, y) is on screen.
void seeview(int x, int y);

// Opens the map: the screen-sized window of `world` at (viewx, viewy),
// dimmed, under the map with `marks` and a line in `words`. Kept until the
// next call; drawn by showplayermap.
void openplayermap(BITMAP* world, int viewx, int viewy, const std::vector<MapMark>& marks, FONT* words);

// Copies the open map to the top-left corner of `target` (the screen).
void showplayermap(BITMAP* target);
