#include "pilotflight.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "editorlevel.h"
#include "enemies.h"
#include "items.h"
#include "manager.h"
#include "map.h"
#include "playerinfo.h"
#include "support/testsupport.h"

using namespace pilot;

namespace {

struct Box { int x1, y1, x2, y2; };  // corners, inclusive

// A hall 1120 x 200, floor at y = 401, the start base at its left end and the exit pad at its
// right, about 950 px apart; below its middle a pit 320 px deep, floor at y = 701.
const std::vector<Box> HallAndPit = {{40, 200, 1159, 400}, {500, 380, 799, 700}};
const Point StartBase{120, 401}, ExitPad{1050, 401}, InThePit{650, 701};

// Flies a small level set up as the editor does (bases and tanks stamped solid); `ready` may
// change the ship's stores or the player record first. Leaves an empty world.
FlightReport fly(const std::vector<Box>& open, std::vector<PlacedObject> objects,
                 const std::function<void(Ship&)>& ready = nullptr, Point start = StartBase, Point exit = ExitPad) {
  makeworld(1200, 800);
  clear_to_color(collisionmap, 1);
  for (const Box& b : open) rectfill(collisionmap, b.x1, b.y1, b.x2, b.y2, 0);
  initmanager();
  playerinfo.init();  // the ship is made with a new game's engine and gun
  objects.insert(objects.begin(), {{ShipRecord, 0, {start.x, start.y - 58}},
                                   {StaticRecord, PlayerBaseStart, start}, {StaticRecord, PlayerBaseExit, exit}});
  addplacedobjects(objects);
  for (GameObject* obj : newobjects) {
    if (StaticObject* s = dynamic_cast<StaticObject*>(obj)) s->drawtocollisionmap();
    if (Ship* ship = dynamic_cast<Ship*>(obj); ship && ready) ready(*ship);
  }
  srand(1);
  const FlightReport r = flylevel(FlightSettings(), std::getenv("PILOT_LOG") ? &std::cout : nullptr);
  initmanager();
  return r;
}

}  // namespace

TEST(PilotFlight, FliesTheLevelInTheWorldAndGivesThePlayerRecordBack) {
  const FlightReport r = fly(HallAndPit, {}, [](Ship&) { playerinfo.money = 77, playerinfo.score = 5; });
  EXPECT_TRUE(r.finished) << r.why;
  EXPECT_EQ(playerinfo.money, 77);
  EXPECT_EQ(playerinfo.score, 5);
  EXPECT_FALSE(playerinfo.levelcomplete);
  for (int k : {KEY_LEFT, KEY_RIGHT, KEY_UP, KEY_LCONTROL, KEY_SPACE}) EXPECT_EQ(key[k], 0) << k;
  EXPECT_LT(std::abs(r.stop.x - ExitPad.x), 30.0f);
  EXPECT_LT(r.stop.y, ExitPad.y);
  ASSERT_FALSE(r.trail.empty());
  EXPECT_LT(std::abs(r.trail.front().x - StartBase.x), 5.0f);
  EXPECT_EQ(r.underfire, 0.0f);
}

TEST(PilotFlight, AnExitCutOffIsAFlightNotFinishedThatSaysWhy) {
  const FlightReport r = fly({{40, 200, 600, 400}, {700, 200, 1159, 400}}, {});
  EXPECT_FALSE(r.finished);
  EXPECT_EQ(r.why.rfind("no way to the exit", 0), 0u) << r.why;
}

// The budget the pilot plans its stops by covers the burn of a 640-px climb and 800 px across,
// and not by so much that it stops for fuel it does not need.
TEST(PilotFlight, TheFuelBudgetOfAWayCoversWhatFlyingItBurns) {
  const FlightReport r = fly({{40, 60, 240, 700}, {40, 60, 1159, 299}}, {}, nullptr, {140, 701}, {1050, 300});
  ASSERT_TRUE(r.finished) << r.why;
  float flown = 0;
  for (size_t i = 1; i < r.trail.size(); i++) flown += std::hypot(r.trail[i].x - r.trail[i - 1].x, r.trail[i].y - r.trail[i - 1].y);
  const float burnt = 1.0f - std::min(r.hydrogen, r.oxygen), budget = tripfuel(flown);
  EXPECT_LE(burnt, budget);
  EXPECT_GE(burnt, 0.55f * budget);
}

// A tank down the pit is fetched when the stores fall short of the way and the reserve, else passed.
TEST(PilotFlight, FuelOffTheWayIsFetchedOnlyWhenTheStoresFallShort) {
  const std::vector<PlacedObject> tank = {{StaticRecord, TankHydrogen, InThePit}};
  const FlightReport enough = fly(HallAndPit, tank, [](Ship& s) { s.hydrogen = 0.8f; });
  EXPECT_TRUE(enough.finished) << enough.why;
  EXPECT_TRUE(enough.tanks.empty());
  const FlightReport shortof = fly(HallAndPit, tank, [](Ship& s) { s.hydrogen = 0.5f; });
  EXPECT_TRUE(shortof.finished) << shortof.why;
  EXPECT_EQ(shortof.tanks, std::vector<std::string>{"hydrogen"});
  EXPECT_GT(shortof.hydrogen, enough.hydrogen);
}

// The pilot stops to fight a blue wibblet over the hall and fires until its toughness is used up.
TEST(PilotFlight, AWibbletGuardingTheWayIsFoughtToTheEnd) {
  const FlightReport r = fly(HallAndPit, {{EnemyRecord, BlueStaticWibblet, {640, 290}}});
  EXPECT_TRUE(r.finished) << r.why;
  EXPECT_EQ(r.wibblets[BlueStaticWibblet], 1);
  EXPECT_EQ(r.killed[BlueStaticWibblet], 1);
  EXPECT_LE(r.acid, 1.0f - float(hitstokill(BlueStaticWibblet, aciddamage(Hydrochloric))) * PlainAcidPerPull + 0.01f);
  // Under its fire from when the climbing ship comes within 500 px until it dies.
  EXPECT_GT(r.underfire, 5.0f);
  EXPECT_LT(r.underfire, 20.0f);
}

// A wibblet sealed in rock under the hall, within range but out of sight, never fires on the ship.
TEST(PilotFlight, AWibbletOutOfSightHasTheShipNeverUnderFire) {
  std::vector<Box> cave = HallAndPit;
  cave.push_back({900, 500, 1100, 700});
  const FlightReport r = fly(cave, {{EnemyRecord, BlueStaticWibblet, {1000, 600}}});
  EXPECT_TRUE(r.finished) << r.why;
  EXPECT_EQ(r.underfire, 0.0f);
  EXPECT_EQ(r.killed[BlueStaticWibblet], 0);
}
