#include "pilotground.h"

#include <cmath>

#include "pilotplan.h"
#include "pilottuning.h"

namespace pilot {

namespace {

bool solidat(BITMAP* solid, int x, int y) { return getpixel(solid, x, y) != 0; }

// True when the floor row is solid and the row above it open over the
// whole width the ship touches, and nothing else is within its radius.
bool levelfloor(BITMAP* solid, const Clearance& cave, int x, int floorrow) {
  for (int dx = -LevelHalfWidth; dx <= LevelHalfWidth; dx++)
    if (!solidat(solid, x + dx, floorrow) || solidat(solid, x + dx, floorrow - 1)) return false;
  return cave.at(float(x), float(floorrow) - ShipRadius - 1.0f) >= ShipRadius + 0.9f;
}

float distance(Point a, Point b) { return std::hypot(a.x - b.x, a.y - b.y); }

}  // namespace

Point restingon(int x, int floorrow) { return {float(x) + 0.5f, float(floorrow) - ShipRadius - 0.5f}; }

bool seatbelow(BITMAP* solid, const Clearance& cave, Point from, float depth, Point& seat) {
  const int x = int(from.x);
  for (int y = int(from.y); y <= int(from.y + depth); y++) {
    if (!solidat(solid, x, y)) continue;
    if (!levelfloor(solid, cave, x, y)) return false;
    seat = restingon(x, y);
    return true;
  }
  return false;
}

std::vector<Point> findseats(BITMAP* solid, const Clearance& cave, int spacing) {
  std::vector<Point> seats;
  for (int x = LevelHalfWidth; x < solid->w - LevelHalfWidth; x += spacing)
    for (int y = 1; y < solid->h; y++)
      if (solidat(solid, x, y) && !solidat(solid, x, y - 1) && levelfloor(solid, cave, x, y)) seats.push_back(restingon(x, y));
  return seats;
}

bool drawsfrom(Point seat, Point tank, const std::vector<Point>& others) {
  const Point probe{seat.x, seat.y + ProbeDistance};
  const float d = distance(probe, tank);
  if (d > ProbeDistance - ProbeSpare) return false;
  for (Point o : others)
    if (distance(probe, o) < d + NearestBy && distance(o, tank) > 0.5f) return false;
  return true;
}

bool seatbeside(BITMAP* solid, const Clearance& cave, Point tank, const std::vector<Point>& others, Point towards, Point& seat) {
  bool found = false;
  for (int side : {-1, 1})
    for (int d = BesideNearest; d <= BesideFurthest; d += BesideStep) {
      Point above{tank.x + float(side * d), tank.y - float(TankFloorSearch)};
      Point s;
      if (!seatbelow(solid, cave, above, 2.0f * TankFloorSearch, s) || !drawsfrom(s, tank, others)) continue;
      if (!found || distance(s, towards) < distance(seat, towards)) seat = s;
      found = true;
      break;  // the nearest on this side
    }
  return found;
}

}  // namespace pilot
