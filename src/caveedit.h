#pragma once

#include <iosfwd>
#include <vector>

#include "map.h"

// The cave as the level editor changes it: the polygons of a level map, the
// vertex edits the editor offers with their limits, and the writer of the
// level map format. Positions are pixels of the level picture.

using Cave = std::vector<Polygon>;

// One point of a cave: the polygon's index and the point's index in it.
struct CaveVertex {
  int polygon = -1;  // -1: no vertex
  int point = -1;
};

// A cavern the editor leaves with fewer points would enclose no area.
constexpr int MinCavernPoints = 3;

// The cavern that addcavern makes.
constexpr float NewCavernWidth = 200.0f;
constexpr float NewCavernHeight = 150.0f;

// Whether `v` names a point of `cave`.
bool isvertex(const Cave& cave, CaveVertex v);

// The point of `cave` nearest to `at` (the first of equals), or no vertex
// when the cave has no points.
CaveVertex nearestvertex(const Cave& cave, Point at);

// Adds a point at `at` right after `v`, which then names the new point.
// Returns null, or the reason for refusing: a polygon holds at most
// MaxPoints points. `v` must be a vertex of `cave`.
const char* insertvertex(Cave& cave, CaveVertex& v, Point at);

// Removes the point `v`, which then names the point before it. Returns
// null, or the reason for refusing: a polygon keeps at least
// MinCavernPoints points. `v` must be a vertex of `cave`.
const char* deletevertex(Cave& cave, CaveVertex& v);

// Appends a NewCavernWidth x NewCavernHeight rectangle centred on `at`,
// its points running clockwise on the screen from the top-left corner, and
// returns that first point.
CaveVertex addcavern(Cave& cave, Point at);

// Removes the whole polygon of `v`; `v` then names no vertex.
void deletecavern(Cave& cave, CaveVertex& v);

// A cavern drawn point by point: adds `at` after the points drawn so far.
// Returns null, or the reason for refusing: a cavern holds at most
// MaxPoints points.
const char* addcavernpoint(std::vector<Point>& drawn, Point at);

// Ends a drawing: appends the drawn points to `cave` as a polygon, and `v`
// names its first point. Returns null, or the reason for refusing (fewer
// than MinCavernPoints points), changing nothing.
const char* closecavern(Cave& cave, const std::vector<Point>& drawn, CaveVertex& v);

// Writes `cave` in the level map format: the polygon count, then one
// polygon a line. Each coordinate is written in the fewest digits that
// read back as the same float, so Map::load gives the same cave.
void writemap(std::ostream& out, const Cave& cave);

// writemap into a file, safely as saveobjects writes: a failed save throws
// "Save error" and leaves an earlier file as it was.
void savemap(const char* filename, const Cave& cave);

// Whether two caves hold the same points in the same order.
bool samecave(const Cave& a, const Cave& b);
