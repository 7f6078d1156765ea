#pragma once

#include <allegro.h>

#include <vector>

#include "classes.h"

// Seats: places where the ship can sit still on a level floor, for no
// fuel, to wait, to fight from, or to draw from a tank standing beside it.
// The ship has no friction: on a slope it slides away, so only floors
// level on either side of where it touches will do.

namespace pilot {

class Clearance;

// Where the ship's centre rests on the floor whose first solid row is
// `floorrow` at column x.
Point restingon(int x, int floorrow);

// The seat straight below `from`, searched `depth` pixels down; false when
// there is no floor that far, the floor is not level, or the ship sitting
// there would touch anything but the floor.
bool seatbelow(BITMAP* solid, const Clearance& cave, Point from, float depth, Point& seat);

// Every seat of the level, one every `spacing` pixels along level floors.
std::vector<Point> findseats(BITMAP* solid, const Clearance& cave, int spacing);

// The ship sitting on `seat` draws from `tank` with SPACE held: the tank is
// within reach of the point below the ship that it looks from, and nearer
// to it than any of `others` (bases, tanks, wibblets' homes).
bool drawsfrom(Point seat, Point tank, const std::vector<Point>& others);

// A seat beside a tank standing at `tank` from which the ship draws from
// it: the nearest to the tank on either side, of the two the one nearer
// `towards`; false when there is none.
bool seatbeside(BITMAP* solid, const Clearance& cave, Point tank, const std::vector<Point>& others, Point towards, Point& seat);

}  // namespace pilot
