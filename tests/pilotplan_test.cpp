#include "pilotplan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "pilotground.h"
#include "support/testsupport.h"

using namespace pilot;

namespace {

struct Box { int x1, y1, x2, y2; };  // corners, inclusive

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

// Two rooms joined by a gap `gap` px high at the bottom of the 80-px wall between them.
TinyCave tworooms(int gap) { return TinyCave(600, 300, {{20, 20, 259, 279}, {340, 20, 579, 279}, {250, 280 - gap, 350, 279}}); }

const Point Left{100, 100}, Right{500, 100};

}  // namespace

// A route keeps its room to rock under the wall and round a bend, slows where the way is tight,
// and changes speed no faster than the ship brakes (level, at best) or speeds up, ending at rest.
TEST(PilotPlan, RouteKeepsItsRoomAndSpeedsTheShipCanFly) {
  TinyCave cave = tworooms(64), bend(400, 300, {{20, 100, 339, 159}, {280, 100, 339, 279}});
  const Clearance room(cave.solid), narrow(bend.solid);
  EXPECT_NEAR(room.at(100, 100), 81.0f, 0.5f);
  const Spread spread(room, Left, {});
  const Route route = makeroute(room, spread.pathto(Right), 80.0f);
  ASSERT_GT(route.size(), 100u);
  EXPECT_LT(distance(route.front().at, Left), Spacing);
  EXPECT_LT(distance(route.back().at, Right), 1.0f);
  EXPECT_NEAR(spread.lengthto(Right), routelength(route), 0.1f * routelength(route));
  EXPECT_GE(route.front().speed, 80.0f);
  EXPECT_EQ(route.back().speed, 0.0f);
  float gapspeed = 0, openspeed = 0;
  for (size_t i = 0; i < route.size(); i++) {
    const Waypoint& w = route[i];
    EXPECT_GE(room.at(w.at.x, w.at.y), MinClearance) << w.at.x << ", " << w.at.y;
    if (w.at.x > 260 && w.at.x < 340) gapspeed = std::max(gapspeed, w.speed);  // 32 px of room
    openspeed = std::max(openspeed, w.speed);
    const float a = i ? route[i - 1].speed : w.speed, b = w.speed;
    EXPECT_LE(a * a - b * b, 2 * RouteBraking * Spacing + 1.0f) << "point " << i;
    EXPECT_LE(b * b - a * a, 2 * RouteSpeedup * Spacing + 1.0f) << "point " << i;
  }
  EXPECT_LE(gapspeed, 2 * RouteSlowest);
  EXPECT_GT(openspeed, 3 * gapspeed);
  for (const Waypoint& w : makeroute(narrow, Spread(narrow, {60, 130}, {}).pathto({310, 250}), 0))
    EXPECT_GE(narrow.at(w.at.x, w.at.y), MinClearance) << w.at.x << ", " << w.at.y;
}

TEST(PilotPlan, AGapNarrowerThanTheShipIsNoWay) {
  TinyCave cave = tworooms(2 * int(ShipRadius) - 4);
  const Clearance room(cave.solid);
  const Spread spread(room, Left, {});
  EXPECT_FALSE(spread.reaches(Right));
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
  for (const Point& p : around.pathto(to)) EXPECT_GE(distance(p, wibblet), 80.0f);
  EXPECT_GT(around.lengthto(to), straight + 20.0f);
  // Where drops fall, a cell costs more: the way passes below that band.
  const Surcharge drops(room, [](Point p) { return p.x > 250 && p.x < 350 && p.y < 220 ? 20.0f : 0.0f; });
  const Spread under(room, from, {}, drops);
  for (const Point& p : under.pathto(to)) EXPECT_TRUE(p.x <= 260 || p.x >= 340 || p.y >= 220.0f) << p.x << ", " << p.y;
}

// An upper floor at y = 200 to x = 299, a lower one at y = 280 and a ramp from x = 440. The ship
// touches a flat floor over 11 px either side: a seat nearer a lip would tip it over.
TEST(PilotGround, SeatsLieOnLevelFloorsClearOfLipsAndSlopesAndReachTheTankBeside) {
  TinyCave cave(600, 300, {{20, 20, 299, 199}, {300, 20, 579, 279}});
  triangle(cave.solid, 440, 280, 579, 280, 579, 200, 1);
  const Clearance room(cave.solid);
  int upper = 0, lower = 0;
  for (const Point& s : findseats(cave.solid, room, SeatSpacing)) {
    const bool high = s.y == 200.0f - ShipRadius - 0.5f;
    (high ? upper : lower)++;
    EXPECT_TRUE(high || s.y == 280.0f - ShipRadius - 0.5f) << s.y;
    EXPECT_TRUE(high ? s.x >= 20 + ShipRadius && s.x <= 300 - 11 : s.x >= 300 + ShipRadius && s.x <= 440) << s.x << ", " << s.y;
  }
  EXPECT_GT(upper, 40);
  EXPECT_GT(lower, 15);
  Point seat;
  EXPECT_FALSE(seatbelow(cave.solid, room, {500, 150}, 150, seat));  // the ramp
  // A tank is drawn from beside it, on the side asked for, not from a seat nearer something else.
  const Point tank{150, 200};
  ASSERT_TRUE(seatbeside(cave.solid, room, tank, {tank}, {0, 200}, seat));
  EXPECT_LT(seat.x, tank.x);
  EXPECT_TRUE(drawsfrom(seat, tank, {tank}));
  EXPECT_FALSE(drawsfrom(seat, tank, {tank, {seat.x, 200}}));
}
