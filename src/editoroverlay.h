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

// Height of the status line along the bottom of the window: two text rows,
// more while a long message wraps (at most MaxNoteRows rows of it).
constexpr int StatusRowHeight = 8;
constexpr int StatusHeight = 2 * StatusRowHeight;
constexpr int MaxNoteRows = 4;

// What the status line says: its first row, and a message or a hint below.
struct StatusText {
  std::string where;  // pointer, mode and selection
  std::string note;   // the last message, or a hint
  bool operator==(const StatusText& o) const { return where == o.where && note == o.note; }
};

// A place a check found wrong, numbered as in its report.
struct CheckMark {
  int x, y;    // world pixels
  int number;  // 1 for the first problem
};

// The first row: "x 1234 y 567  objects  hydrogen tank at (700, 420)";
// `mode` is "objects", "cave" or "overview".
std::string pointertext(int x, int y, const char* mode, const std::string& selection);

// "ship at (320, 200)", "blue wibblet at (1200, 640)", ...
std::string objecttext(char letter, int type, Point at);

// "polygon 3 of 12, vertex 2 of 8 at (1200, 340)"; "" for no vertex.
std::string vertextext(const Cave& cave, CaveVertex v);

// `text` cut to what fits in one row of the status line.
std::string fitrow(const std::string& text);

// `text` broken into rows of the status line at spaces (a word too long for
// a row is cut), at most `rows` of them; the last ends in "..." when the
// text goes on.
std::vector<std::string> wraprows(const std::string& text, int rows);

// Height of the status line showing `status`, in pixels.
int statusheight(const StatusText& status);

// The status line, filling 640 x statusheight(status) pixels with its top
// left corner at (x, y).
void drawstatus(BITMAP* target, int x, int y, const StatusText& status);

// Every polygon's outline and vertices; the selected polygon and vertex
// stand out.
void drawcaveoutline(BITMAP* target, int originx, int originy, const Cave& cave, CaveVertex selected);

// The marks of one place: "2,3" when two problems share it.
struct MarkedPlace {
  int x, y;
  std::string numbers;
  bool current;  // one of them is the problem PgDn or PgUp went to
};

// The marks grouped by place, in order of their first number, the place of
// `current` last (so that it is drawn over the others).
std::vector<MarkedPlace> markedplaces(const std::vector<CheckMark>& marks, int current);

// A numbered red ring round each place a check found wrong; the one of the
// mark numbered `current` (PgDn and PgUp step through them) in yellow.
void drawcheckmarks(BITMAP* target, int originx, int originy, const std::vector<CheckMark>& marks, int current);

// A cavern being drawn: its points joined in order, a line on to the
// pointer `next`, and a ring round the first point, which closes it.
void drawcavernsofar(BITMAP* target, int originx, int originy, const std::vector<Point>& points, Point next);

// Columns of a help line: the box is as wide as the window allows.
constexpr int HelpColumns = 76;

// The box listing every key of the editor, one line each (HelpColumns at
// most), in the middle of the window.
void drawhelp(BITMAP* target, int originx, int originy, const std::vector<std::string>& lines);
