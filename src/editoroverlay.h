#pragma once

#include <allegro.h>

#include <string>
#include <vector>

#include "caveedit.h"

// What the level editor draws over the level: its status line, the help,
// the cave's outline in cave mode and the places a check found wrong.
// Everything is drawn into `target` at world positions offset by
// (originx, originy), the world pixel at the target's top-left corner, and
// clipped to the 640x480 window there; nothing goes into background or
// collisionmap.

// Height of the status line along the bottom of the window: two text rows.
constexpr int StatusHeight = 16;

// What the status line says: its first row, and a message or a hint below.
struct StatusText {
  std::string where;  // pointer, mode and selection
  std::string note;   // the last message, or a hint
};

// A place a check found wrong, numbered as in its report.
struct CheckMark {
  int x, y;    // world pixels
  int number;  // 1 for the first problem
};

// The first row: "x 1234 y 567  objects  hydrogen tank at (700, 420)".
std::string pointertext(int x, int y, bool cavemode, const std::string& selection);

// "ship at (320, 200)", "blue wibblet at (1200, 640)", ...
std::string objecttext(char letter, int type, Point at);

// "polygon 3 of 12, vertex 2 of 8 at (1200, 340)"; "" for no vertex.
std::string vertextext(const Cave& cave, CaveVertex v);

// `text` cut to what fits in one row of the status line.
std::string fitrow(const std::string& text);

// The status line, filling the strip's 640 x StatusHeight pixels at (x, y).
void drawstatus(BITMAP* target, int x, int y, const StatusText& status);

// Every polygon's outline and vertices; the selected polygon and vertex
// stand out.
void drawcaveoutline(BITMAP* target, int originx, int originy, const Cave& cave, CaveVertex selected);

// A numbered red ring round each place a check found wrong.
void drawcheckmarks(BITMAP* target, int originx, int originy, const std::vector<CheckMark>& marks);

// The box listing every key of the editor, one line each, in the middle of
// the window.
void drawhelp(BITMAP* target, int originx, int originy, const std::vector<std::string>& lines);
