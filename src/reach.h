#pragma once

#include <allegro.h>

#include <cstdint>
#include <vector>

// Where a round body can be in a level's collision map, and where it can get
// to from a start point. Used by levelcheck to find exits and tanks the ship
// cannot reach.

// One flag per pixel of a level-sized plane.
struct Grid {
  int w = 0;
  int h = 0;
  std::vector<uint8_t> cells;  // row-major, w * h

  Grid() = default;
  Grid(int width, int height) : w(width), h(height), cells(static_cast<size_t>(width) * height, 0) {}
  // False outside the plane.
  bool at(int x, int y) const { return x >= 0 && y >= 0 && x < w && y < h && cells[static_cast<size_t>(y) * w + x]; }
};

// Squared distance from every pixel of `solid` (any non-zero value) to the
// nearest solid pixel, counting everything outside the bitmap as solid. An
// exact Euclidean distance transform, row-major like Grid.
std::vector<float> solidsqdistances(BITMAP* solid);

// 1 where the centre of a disc of `radius` pixels can sit without any solid
// pixel of `solid` within `radius` of it.
Grid fitmap(BITMAP* solid, int radius);

// True when a disc of `radius` centred on (x, y) touches no solid pixel of
// `solid`; a single-place version of fitmap.
bool discfits(BITMAP* solid, int x, int y, int radius);

// Every cell of `open` that joins (x, y) through side-by-side open cells;
// empty when (x, y) itself is not open.
Grid floodfill(const Grid& open, int x, int y);
