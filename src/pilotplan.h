#pragma once

#include <allegro.h>

#include <functional>
#include <vector>

#include "classes.h"
#include "pilottuning.h"

// Route planning for the pilot: how far every pixel of a level is from rock,
// the cheapest ways through the cave from one place to every other, and the
// routes the ship follows, each point with the speed it may fly there.

namespace pilot {

// Distance from every pixel of the level to the nearest solid pixel
// (rock, base or tank; the world's edge counts as rock).
class Clearance {
 public:
  Clearance() = default;
  explicit Clearance(BITMAP* solid);
  // Pixels to the nearest solid pixel; 0 outside the level.
  float at(float x, float y) const;
  // Unit direction in which the clearance grows fastest (away from rock);
  // (0, 0) where it is flat.
  Point away(float x, float y) const;
  int width() const { return w; }
  int height() const { return h; }

 private:
  int w = 0, h = 0;
  std::vector<float> distance;  // row-major
};

// A place the route keeps away from, such as a wibblet's home.
struct Keepout {
  Point at;
  float radius;  // no route within this distance
  float wide;    // routes within this distance cost more
};

// Extra cost factors of the planning grid's cells, beyond room and
// keep-outs: where wibblets' drops reach, say. Empty adds nothing.
struct Surcharge {
  int cols = 0, rows = 0;
  std::vector<float> extra;  // row-major, one per cell
  // Evaluates `at` once for every cell the ship's centre can be in.
  Surcharge(const Clearance& cave, const std::function<float(Point)>& at);
  Surcharge() = default;
  float operator()(int cell) const { return extra.empty() ? 0.0f : extra[size_t(cell)]; }
};

// The cheapest way from one place to every cell of the cave. Costs are
// route lengths in pixels, weighted up near rock, near keep-outs and by the
// surcharge, so routes keep to the middle of passages and wide of wibblets.
class Spread {
 public:
  Spread(const Clearance& cave, Point start, const std::vector<Keepout>& keepouts, const Surcharge& surcharge = Surcharge());
  // Cost of the best way to `goal`; a huge number when it cannot be reached.
  float costto(Point goal) const;
  bool reaches(Point goal) const;
  // Length in pixels of the best way to `goal` (not its cost).
  float lengthto(Point goal) const;
  // The cells of the best way from the start to `goal`, start first; empty
  // when it cannot be reached.
  std::vector<Point> pathto(Point goal) const;

 private:
  int gw = 0, gh = 0;
  std::vector<float> cost;
  std::vector<int> from;
  int cellof(Point p) const;
  int goalcell(Point goal) const;
};

// One point of a route, Spacing pixels after the one before.
struct Waypoint {
  Point at;
  float clearance;  // pixels to rock
  float speed;      // fastest the ship should fly here, px/s
};
using Route = std::vector<Waypoint>;

// Smooths a path of cells into an evenly spaced route that ends at rest,
// starting at `startspeed`, with speeds the ship can keep to (the Route...
// figures of pilottuning.h).
Route makeroute(const Clearance& cave, const std::vector<Point>& path, float startspeed);

// Route length in pixels.
float routelength(const Route& route);

}  // namespace pilot
