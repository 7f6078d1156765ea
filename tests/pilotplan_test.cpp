#include "pilotplan.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <vector>

#include "pilotground.h"
#include "support/testsupport.h"

using namespace pilot;

namespace {

// Corners of a rectangle, inclusive.
struct Box {
  int x1, y1, x2, y2;
};

// A small cave: rock everywhere but the open boxes.
class TinyCave {
 public:
  TinyCave(int w, int h, std::initializer_list<Box> open) {
    initallegro();
    solid = create_bitmap_ex(8, w, h);
    clear_to_color(solid, 1);
    for (const Box& b : open) rectfill(solid, b.x1, b.y1, b.x2, b.y2, 0);
  }
  ~TinyCave() { destroy_bitmap(solid); }
  TinyCave(const TinyCave&) = delete;
  TinyCave& operator=(const TinyCave&) = delete;
  BITMAP* solid;
};

float distance(Point a, Point b) { return std::hypot(a.x - b.x, a.y - b.y); }

// Two rooms, joined by a gap `gap` px high at the bottom of the 80-px wall
// between them; the straight line from one to the other meets rock.
TinyCave tworooms(int gap) { return TinyCave(600, 300, {{20, 20, 259, 279}, {340, 20, 579, 279}, {250, 280 - gap, 350, 279}}); }

const Point Left{100, 100}, Right{500, 100};

}  // namespace

TEST(PilotPlan, RouteThroughAGapKeepsItsRoomAndSlowsThere) {
  TinyCave cave = tworooms(64);
  const Clearance room(cave.solid);
  EXPECT_NEAR(room.at(100, 100), 81.0f, 0.5f);  // to the room's left and top walls
  EXPECT_EQ(room.at(-1, 100), 0.0f);

  const Spread spread(room, Left, {});
  ASSERT_TRUE(spread.reaches(Right));
  const Route route = makeroute(room, spread.pathto(Right), 0);
  ASSERT_GT(route.size(), 100u);
  EXPECT_LT(distance(route.front().at, Left), Spacing);
  EXPECT_LT(distance(route.back().at, Right), 1.0f);
  // Under the wall, through the gap, never closer to rock than a route
  // keeps, and slowly there, with 32 px of room.
  float gapspeed = 0, openspeed = 0;
  for (const Waypoint& w : route) {
    EXPECT_GE(room.at(w.at.x, w.at.y), MinClearance) << w.at.x << ", " << w.at.y;
    if (w.at.x > 260 && w.at.x < 340) {
      EXPECT_GT(w.at.y, 216.0f);
      gapspeed = std::max(gapspeed, w.speed);
    }
    openspeed = std::max(openspeed, w.speed);
  }
  EXPECT_LE(gapspeed, 2 * RouteSlowest);
  EXPECT_GT(openspeed, 3 * gapspeed);

  // Round the bend of a narrow passage too: smoothing takes no corner.
  TinyCave bend(400, 300, {{20, 100, 339, 159}, {280, 100, 339, 279}});
  const Clearance narrow(bend.solid);
  const Point a{60, 130}, b{310, 250};
  const Route round = makeroute(narrow, Spread(narrow, a, {}).pathto(b), 0);
  ASSERT_FALSE(round.empty());
  for (const Waypoint& w : round) EXPECT_GE(narrow.at(w.at.x, w.at.y), MinClearance) << w.at.x << ", " << w.at.y;
  EXPECT_NEAR(spread.lengthto(Right), routelength(route), 0.1f * routelength(route));
}

TEST(PilotPlan, RouteSpeedsAllowTheShipToStopAndStartInTime) {
  TinyCave cave = tworooms(100);
  const Clearance room(cave.solid);
  const Route route = makeroute(room, Spread(room, Left, {}).pathto(Right), 80.0f);
  EXPECT_GE(route.front().speed, 80.0f);
  EXPECT_EQ(route.back().speed, 0.0f);
  // From each point to the next the speed changes no faster than the ship
  // brakes (at best, level) or gathers speed.
  for (size_t i = 1; i < route.size(); i++) {
    const float a = route[i - 1].speed, b = route[i].speed;
    EXPECT_LE(a * a - b * b, 2 * RouteBraking * Spacing + 1.0f) << "point " << i;
    EXPECT_LE(b * b - a * a, 2 * RouteSpeedup * Spacing + 1.0f) << "point " << i;
    EXPECT_LE(b, RouteTopSpeed);
  }
}

TEST(PilotPlan, AGapNarrowerThanTheShipIsNoWay) {
  TinyCave cave = tworooms(2 * int(ShipRadius) - 4);
  const Clearance room(cave.solid);
  const Spread spread(room, Left, {});
  EXPECT_FALSE(spread.reaches(Right));
  EXPECT_TRUE(spread.pathto(Right).empty());
  EXPECT_TRUE(makeroute(room, spread.pathto(Right), 0).empty());
  EXPECT_TRUE(spread.reaches({200, 200}));
}

TEST(PilotPlan, KeepOutsAndSurchargesBendTheWayAround) {
  TinyCave cave(600, 300, {{20, 20, 579, 279}});
  const Clearance room(cave.solid);
  const Point from{100, 150}, to{500, 150}, wibblet{300, 150};
  const float straight = Spread(room, from, {}).lengthto(to);
  EXPECT_LT(straight, 410.0f);

  const Spread around(room, from, {{wibblet, 80.0f, 150.0f}});
  ASSERT_TRUE(around.reaches(to));
  for (const Point& p : around.pathto(to)) EXPECT_GE(distance(p, wibblet), 80.0f);
  EXPECT_GT(around.lengthto(to), straight + 20.0f);

  // Where drops fall, a cell costs more: the way passes below that band.
  const Surcharge drops(room, [](Point p) { return p.x > 250 && p.x < 350 && p.y < 220 ? 20.0f : 0.0f; });
  const Spread under(room, from, {}, drops);
  for (const Point& p : under.pathto(to))
    if (p.x > 260 && p.x < 340) {
      EXPECT_GE(p.y, 220.0f);
    }
}

TEST(PilotGround, SeatsLieOnLevelFloorsClearOfLipsAndSlopesAndReachTheTankBeside) {
  // An upper floor at y = 200 up to x = 299, where it drops to a lower
  // floor at y = 280 that runs into a ramp from x = 440.
  TinyCave cave(600, 300, {{20, 20, 299, 199}, {300, 20, 579, 279}});
  triangle(cave.solid, 440, 280, 579, 280, 579, 200, 1);
  const Clearance room(cave.solid);
  const std::vector<Point> seats = findseats(cave.solid, room, SeatSpacing);
  ASSERT_FALSE(seats.empty());
  int upper = 0, lower = 0;
  for (const Point& s : seats) {
    SCOPED_TRACE(testing::Message() << s.x << ", " << s.y);
    // The ship touches a flat floor over 11 px either side: a seat nearer
    // a lip would tip it over.
    if (s.y == 200.0f - ShipRadius - 0.5f) {
      upper++;
      EXPECT_GE(s.x, 20.0f + ShipRadius);
      EXPECT_LE(s.x, 300.0f - 11);
    } else {
      EXPECT_FLOAT_EQ(s.y, 280.0f - ShipRadius - 0.5f);
      lower++;
      EXPECT_GE(s.x, 300.0f + ShipRadius);
      EXPECT_LE(s.x, 440.0f);
    }
  }
  EXPECT_GT(upper, 40);
  EXPECT_GT(lower, 15);
  Point none;
  EXPECT_FALSE(seatbelow(cave.solid, room, {500, 150}, 150, none));  // the ramp
  // A tank standing at (150, 200) is drawn from a seat beside it, the one
  // toward the given side, and not from a seat nearer something else.
  const Point tank{150, 200};
  Point seat;
  ASSERT_TRUE(seatbeside(cave.solid, room, tank, {tank}, {0, 200}, seat));
  EXPECT_LT(seat.x, tank.x);
  EXPECT_TRUE(drawsfrom(seat, tank, {tank}));
  EXPECT_FALSE(drawsfrom(seat, tank, {tank, {seat.x, 200}}));
}
