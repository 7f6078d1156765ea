#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "enemies.h"
#include "flylevels/control.h"
#include "flylevels/plan.h"
#include "flylevels/run.h"
#include "flylevels/station.h"
#include "flylevels/wibblets.h"
#include "support/world_support.h"

using namespace pilot;

namespace {

const float Q = 0.01f;

float gap(Point a, Point b) { return std::hypot(a.x - b.x, a.y - b.y); }

// A 600 x 400 cave walled all round, split by a wall at x 280-319 with an
// opening `opening` pixels high centred at y 200.
void splitcave(int opening) {
  makeworld(600, 400);
  makerock(0, 0, 599, 9);
  makerock(0, 390, 599, 399);
  makerock(0, 0, 9, 399);
  makerock(590, 0, 599, 399);
  makerock(280, 0, 319, 399);
  rectfill(collisionmap, 280, 200 - opening / 2, 319, 200 + opening / 2 - 1, 0);
}

}  // namespace

// Routes go through a passage the ship fits, keep their room from rock all
// the way, slow down in the narrow part and end at rest; a passage too
// narrow for the ship is no way at all.
TEST(Pilot, RouteThreadsTheGapWithRoomAndEndsAtRest) {
  TestWorld world(600, 400);
  splitcave(80);
  Clearance cave(collisionmap);
  Spread spread(cave, {100, 300}, {});
  ASSERT_TRUE(spread.reaches({500, 300}));
  Route route = makeroute(cave, spread.pathto({500, 300}), 0);
  ASSERT_GT(route.size(), 2u);
  float narrowest = 1e9f, speedinwall = 0, speedopen = 0;
  for (const Waypoint& w : route) {
    narrowest = std::min(narrowest, cave.at(w.at.x, w.at.y));
    if (std::fabs(w.at.x - 300) < 2) {
      speedinwall = w.speed;
      EXPECT_NEAR(w.at.y, 200, 8);
    }
    speedopen = std::max(speedopen, w.speed);
  }
  EXPECT_GE(narrowest, MinClearance);
  EXPECT_LT(speedinwall, speedopen);
  EXPECT_EQ(route.back().speed, 0);
  EXPECT_LT(gap(route.back().at, {500, 300}), 1.0f);

  // A keep-out across the gap sends the route nowhere.
  Spread guarded(cave, {100, 300}, {{{300, 200}, 60, 100}});
  EXPECT_FALSE(guarded.reaches({500, 300}));

  splitcave(44);
  Spread blocked(Clearance(collisionmap), {100, 300}, {});
  EXPECT_FALSE(blocked.reaches({500, 300}));
}

// The controller, with nothing but the ship's keys, climbs to a point,
// crosses sideways to another and rests there without touching rock.
TEST(Pilot, HoldingAPointBringsTheShipToRestThereWithoutDamage) {
  TestWorld world(800, 800);
  makerock(0, 700, 799, 799);
  Ship* ship = new Ship();
  ship->position = {200, 676};
  addobject(ship);
  trackobject(ship);
  Clearance cave(collisionmap);
  Attitude attitude;
  const Point targets[] = {{200, 300}, {550, 400}};
  for (Point target : targets) {
    for (int i = 0; i < 1500; i++) {
      ShipState s{ship->position, ship->velocity, ship->angle};
      presskeys(attitude.accelerate(s, holdpoint(s, target, 120, cave), Q));
      tickall(Q);
      drawobjects();
      restorerects();
    }
    EXPECT_LT(gap(ship->position, target), 10.0f);
    EXPECT_LT(std::hypot(ship->velocity.x, ship->velocity.y), 15.0f);
  }
  EXPECT_GE(ship->shieldpower, 1.0f);
  EXPECT_GT(ship->hydrogen, 0.3f);
}

// The aim is checked against a real drop: fired from a ship at the chosen
// angle it passes the target, above, level or below, moving or not; rock
// in the way leaves no shot.
TEST(Pilot, AimedDropsMeetTheTargetAndRockBlocksTheShot) {
  TestWorld world(800, 800);
  Clearance open(collisionmap);
  const ShipState ships[] = {{{200, 400}, {0, 0}, 0}, {{200, 400}, {20, 30}, 0.5f}};
  const Point targets[] = {{420, 400}, {330, 300}, {440, 520}, {80, 370}};
  for (const ShipState& s : ships)
    for (Point target : targets) {
      float angle, flight;
      ASSERT_TRUE(aimdrop(s, [&](float) { return target; }, open, 3.0f, angle, flight)) << target.x << "," << target.y;
      Shot drop(nullptr);
      Point nose{std::sin(angle), -std::cos(angle)};
      drop.position = {s.at.x + nose.x * ShipRadius, s.at.y + nose.y * ShipRadius};
      drop.velocity = {s.speed.x + nose.x * ShotSpeed, s.speed.y + nose.y * ShotSpeed};
      float nearest = 1e9f;
      for (float t = 0; t < flight + 0.5f; t += Q) {
        drop.tick(Q);
        nearest = std::min(nearest, gap(drop.position, target));
      }
      EXPECT_LT(nearest, 8.0f) << target.x << "," << target.y;
    }
  makerock(300, 0, 320, 799);
  float angle, flight;
  EXPECT_FALSE(lob(ships[0].at, {420, 400}, Clearance(collisionmap), 3.0f, angle, flight));
}

// The wibblet model foresees a real wibblet's swing about its home.
TEST(Pilot, ForeseenWibbletPositionMatchesWhereItGoes) {
  TestWorld world(800, 800);
  Enemy* e = new Enemy(OrangeWibblet);
  e->position = {400, 400};
  addobject(e);
  Watched w{e};
  float worst = 0;
  for (int second = 0; second < 8; second++) {
    for (int i = 0; i < 100; i++) {
      tickall(Q);
      watchframe(w, Q);
    }
    Point foreseen = foresee(w, 1.5f, Q);
    for (int i = 0; i < 150; i++) {
      tickall(Q);
      watchframe(w, Q);
    }
    worst = std::max(worst, gap(foreseen, e->position));
  }
  EXPECT_LT(worst, 12.0f);
}

TEST(Pilot, CommandLineNamesLevelsFilesAndPictures) {
  auto parse = [](std::vector<const char*> args, FlyOptions& o) {
    args.insert(args.begin(), "flylevels");
    std::string why;
    return parseflyoptions(int(args.size()), const_cast<char**>(args.data()), o, why);
  };
  FlyOptions all, two, files, bad;
  ASSERT_TRUE(parse({}, all));
  EXPECT_EQ(all.levels, (std::vector<int>{1, 2, 3, 4, 5, 6}));
  ASSERT_TRUE(parse({"--step", "0.005", "2", "5"}, two));
  EXPECT_EQ(two.levels, (std::vector<int>{2, 5}));
  EXPECT_FLOAT_EQ(two.flight.step, 0.005f);
  ASSERT_TRUE(parse({"--picture", "t.bmp", "a.txt", "b.txt"}, files));
  EXPECT_TRUE(files.levels.empty());
  EXPECT_EQ(files.objectsfile, "b.txt");
  for (std::vector<const char*> wrong : {std::vector<const char*>{"7"}, {"--step", "0.1", "1"}, {"--picture", "t.png", "1"}, {"a.txt"}})
    EXPECT_FALSE(parse(wrong, bad));
  EXPECT_EQ(picturefor("out/trail.bmp", 3, true), "out/trail3.bmp");
  EXPECT_EQ(picturefor("trail.bmp", 3, false), "trail.bmp");

  FlightReport low;
  low.finished = true;
  low.hydrogen = 0.5f;
  low.oxygen = 0.2f;
  EXPECT_FALSE(flightpasses(low));
  EXPECT_NE(describeflight(low).find("BELOW THE FUEL MARGIN"), std::string::npos);
  low.oxygen = 0.3f;
  EXPECT_TRUE(flightpasses(low));
}

// A whole flight over a small made-up level: a hall with a blue wibblet
// hanging over the way to the exit pad. The pilot shoots it before it can
// do harm, and docks.
TEST(Pilot, FliesAHallPastAWibbletToTheExit) {
  initallegro();
  const std::string dir = maketempdir();
  writefile(dir + "/hall.txt", "1\n4  100 300  1300 300  1300 600  100 600\n");
  writefile(dir + "/hall_objects.txt", "S 200 543\nT 5 200 601\nE 1 700 520\nT 0 1150 601\n");
  FlyOptions options;
  options.mapfile = dir + "/hall.txt";
  options.objectsfile = dir + "/hall_objects.txt";
  std::ostringstream out;
  EXPECT_EQ(flyandreport(options, out), FlownClean) << out.str();
  for (const char* says : {"finished in", "wibblets killed 1 of 1 (1 blue)", "hits taken 0"})
    EXPECT_NE(out.str().find(says), std::string::npos) << says << " in\n" << out.str();
}
