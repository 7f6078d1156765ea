#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "classes.h"
#include "data.h"
#include "main.h"
#include "manager.h"
#include "map.h"
#include "playerinfo.h"
#include "shot.h"
#include "support/enemies_support.h"
#include "support/testsupport.h"

namespace {

const float Q = 0.03125f;  // a frame of exactly representable length
const float TurnStep = 1.5707964f * Q;
const float Transfer = 0.2f * Q;  // drawn from a tank in one frame

// An open world with the view at its corner and no keys held; empties the
// object lists when the test ends.
struct World {
  explicit World(int w = 640, int h = 480) {
    freshworld(w, h);
    releaseallkeys();
    srand(11);
    screenoffsetx = screenoffsety = 0;
    dirtyrectangles.clear();
  }
  ~World() {
    releaseallkeys();
    initmanager();
  }
};

void run(Ship& ship, int frames) {
  for (int i = 0; i < frames && !ship.dead; i++) ship.tick(Q);
}

// A ship with a tank (or base) of `type` 70 pixels below it, both in view,
// and SPACE held.
struct Refuelling {
  Ship ship;
  StaticObject tank;
  Refuelling(StaticType type, float x = 320) : tank(type) {
    ship.position = {x, 100};
    tank.position = {x, 170};
    nearobjects = {&ship, &tank};
    key[KEY_SPACE] = 1;
  }
};

TEST(Ship, RocketThrustAndFuelDependOnTheEngine) {
  World world;
  key[KEY_UP] = 1;
  for (int engine : {1, 2, 3}) {
    playerinfo.engine = engine;
    Ship ship;
    ship.position = {320, 240};
    ship.tick(Q);
    EXPECT_FLOAT_EQ(ship.velocity.y, (40.0f - (engine < 3 ? 120.0f : 180.0f)) * Q);
    run(ship, 31);
    EXPECT_NEAR(ship.hydrogen, engine == 1 ? 0.95f : 1.0f - 0.05f * 2 / 3, 1e-4);  // per second
    EXPECT_NEAR(ship.oxygen, ship.hydrogen, 1e-6);
  }
}

TEST(Ship, BothArrowsTurnClockwiseAndTheMk4EngineTurnsTwiceAsFast) {
  World world;
  Ship ship;
  ship.position = {320, 240};
  key[KEY_LEFT] = 1;
  ship.tick(Q);
  EXPECT_FLOAT_EQ(ship.angle, -TurnStep);
  key[KEY_RIGHT] = 1;
  run(ship, 2);
  EXPECT_NEAR(ship.angle, TurnStep, 1e-6);
  playerinfo.engine = 4;
  ship.angle = 3.14f;  // and past pi wraps round to -pi
  ship.tick(Q);
  EXPECT_NEAR(ship.angle, 3.14f + 2 * TurnStep - 2 * 3.1415927f, 1e-5);
}

TEST(Ship, StoresAtExactlyZeroBurnAndFireOnceMore) {
  World world;
  Ship ship;
  ship.position = {320, 240};
  ship.hydrogen = 0;
  ship.ammo = 0;
  key[KEY_UP] = key[KEY_LCONTROL] = 1;
  ship.tick(Q);
  EXPECT_FLOAT_EQ(ship.velocity.y, -80.0f * Q);
  EXPECT_EQ(newshots().size(), 1u);
  run(ship, 40);  // past the gun's cooldown: both stay silent below 0
  EXPECT_FLOAT_EQ(ship.velocity.y, -80.0f * Q + 40 * 40.0f * Q);
  EXPECT_EQ(newshots().size(), 1u);
}

TEST(Ship, HeldTriggerFiresOnceASecondAndTheSprayGunUsesOneCharge) {
  World world;
  Ship ship;
  ship.position = {320, 240};
  ship.ammotype = Hydrofluoric;
  key[KEY_RCONTROL] = 1;
  ship.tick(Q);
  ASSERT_EQ(newshots().size(), 1u);
  Shot* shot = newshots()[0];
  EXPECT_FLOAT_EQ(shot->position.y, ship.position.y - 23.0f);  // on the rim
  EXPECT_FLOAT_EQ(shot->velocity.y, ship.velocity.y - 120.0f);
  EXPECT_FLOAT_EQ(shot->damage, 3 * ShotDamage);
  EXPECT_EQ(shot->colour, makecol(0, 192, 0));
  run(ship, 31);
  EXPECT_EQ(newshots().size(), 1u);
  run(ship, 1);  // the 33rd frame, one second after the first shot
  EXPECT_EQ(newshots().size(), 2u);

  initmanager();
  playerinfo.weapon = 3;
  Ship spray;
  spray.position = {320, 240};
  spray.tick(Q);
  ASSERT_EQ(newshots().size(), 3u);
  EXPECT_NEAR(spray.ammo, 0.95f, 1e-6);
  EXPECT_NEAR(newshots()[2]->velocity.x, 120.0f * std::sin(0.2617994f), 1e-3);
}

TEST(Ship, RockImpactsCostShieldOnlyAbove40PixelsPerSecond) {
  World world;
  makerock(0, 263, 639, 479);  // a floor touching the ship's outline
  Ship ship;
  ship.position = {320, 240};
  ship.velocity = {0, 40};
  ship.collidedetect();
  EXPECT_FLOAT_EQ(ship.shieldpower, 1.0f);
  EXPECT_FLOAT_EQ(ship.shieldstress, 1.0f);
  ship.velocity = {0, 80};
  ship.collidedetect();
  EXPECT_NEAR(ship.shieldpower, 0.75f, 1e-6);
  EXPECT_NEAR(ship.shieldstress, 2.0f, 1e-6);
  ship.takehit(60);  // weaker than the stress: still drains
  EXPECT_NEAR(ship.shieldstress, 2.0f, 1e-6);
  EXPECT_NEAR(ship.shieldpower, 0.75f - 1.5f / 8, 1e-6);
}

TEST(Ship, DrawsFromATankAtExactly100PixelsPerSecondButNotAbove) {
  World world;
  Refuelling r(TankHydrogen);
  r.ship.hydrogen = 0.5f;
  r.ship.velocity = {100, -40.0f * Q};  // gravity makes it (100, 0)
  r.ship.tick(Q);
  EXPECT_FLOAT_EQ(r.ship.hydrogen, 0.5f + Transfer);
  EXPECT_FLOAT_EQ(r.tank.capacity, 1.0f - Transfer);
  r.ship.velocity = {100.01f, -40.0f * Q};
  r.ship.tick(Q);
  EXPECT_FLOAT_EQ(r.ship.hydrogen, 0.5f + Transfer);
}

TEST(Ship, DrawingTheOtherAcidPoursTheOldAway) {
  World world;
  Refuelling r(TankHF);
  r.ship.ammo = 0.8f;
  r.ship.tick(Q);
  EXPECT_EQ(r.ship.ammotype, Hydrofluoric);
  EXPECT_FLOAT_EQ(r.ship.ammo, Transfer);
}

TEST(Ship, EmptyTankPictureOnlyOnceCapacityIsBelowZero) {
  World world;
  Refuelling exact(TankHydrogen);
  exact.ship.hydrogen = 0.5f;
  exact.tank.capacity = Transfer;
  BITMAP* full = exact.tank.sprite;
  run(exact.ship, 2);
  EXPECT_FLOAT_EQ(exact.tank.capacity, 0.0f);
  EXPECT_EQ(exact.tank.sprite, full);
  EXPECT_FLOAT_EQ(exact.ship.hydrogen, 0.5f + Transfer);  // nothing more at 0

  Refuelling drained(TankHydrogen, 100);
  drained.ship.hydrogen = 0.5f;
  drained.tank.capacity = 0.005f;
  drained.ship.tick(Q);
  EXPECT_EQ(drained.tank.sprite, datafile[DataEmptyTank].dat);
}

TEST(Ship, DockingCompletesTheLevelAfterAboutOneAndAHalfSeconds) {
  World world;
  Refuelling start(PlayerBaseStart);
  run(start.ship, 40);
  EXPECT_FLOAT_EQ(start.tank.capacity, 1.0f);  // the start base gives nothing

  Refuelling dock(PlayerBaseExit, 100);
  run(dock.ship, 40);  // 1.25 s
  EXPECT_FALSE(playerinfo.levelcomplete);
  run(dock.ship, 16);  // 1.75 s
  EXPECT_TRUE(playerinfo.levelcomplete);
}

TEST(Ship, DisintegrationIgnoresKeysAndHitsAndEndsIn40Particles) {
  World world;
  Ship ship;
  ship.position = {320, 100};
  ship.takehit(400);  // damage 10: the shield is gone
  float shield = ship.shieldpower;
  ship.takehit(400);
  EXPECT_FLOAT_EQ(ship.shieldpower, shield);
  for (int k : {KEY_UP, KEY_LEFT, KEY_LCONTROL}) key[k] = 1;
  ship.tick(Q);
  EXPECT_FLOAT_EQ(ship.velocity.y, 40.0f * Q);  // no thrust
  EXPECT_FLOAT_EQ(ship.angle, TurnStep);        // spins clockwise
  run(ship, 150);                               // 4.7 s in all
  EXPECT_FALSE(ship.dead);
  run(ship, 20);
  EXPECT_TRUE(ship.dead);
  EXPECT_TRUE(newshots().empty());
  int wreck = 0;
  for (Particle* p : particles) wreck += p->life == 5.0f;
  EXPECT_EQ(wreck, 40);
}

// A pixel of the panel as shown in vscreen, top-right of the view, and of
// its background picture.
int panelpixel(int x, int y) { return getpixel(vscreen, screenoffsetx + 576 + x, screenoffsety + y); }
int backgroundpixel(int x, int y) { return getpixel(static_cast<BITMAP*>(datafile[DataPanel].dat), x, y); }
int brightness(int c) { return getr(c) + getg(c) + getb(c); }

TEST(Ship, PanelBarsShowTheStoresInTheirColours) {
  World world(700, 500);
  screenoffsetx = 20;
  screenoffsety = 10;
  Ship ship;
  ship.position = {320, 240};
  ship.hydrogen = 1.004f;  // a step over full: a full bar
  ship.oxygen = 0.25f;
  ship.ammo = -0.04f;      // a step under empty: an empty bar
  ship.takehit(41);        // a hit must show, so the panel is redrawn
  ship.draw();
  for (int y = 4; y <= 10; y++) {
    EXPECT_EQ(panelpixel(30, y), makecol(192, 0, 0));
    EXPECT_EQ(panelpixel(59, y), makecol(192, 0, 0));
    EXPECT_EQ(panelpixel(60, y), 0);
  }
  EXPECT_EQ(panelpixel(61, 4), backgroundpixel(61, 4));
  EXPECT_EQ(panelpixel(30, 11), backgroundpixel(30, 11));
  EXPECT_EQ(panelpixel(36, 12), makecol(0, 0, 192));  // 0.25 of 30 columns
  EXPECT_EQ(panelpixel(37, 12), 0);
  EXPECT_EQ(panelpixel(30, 20), 0);
  EXPECT_EQ(panelpixel(29, 20), backgroundpixel(29, 20));
}

TEST(Ship, PanelRingsShowTheShield) {
  World world;
  Ship full;
  full.position = {320, 240};
  full.draw();
  EXPECT_EQ(panelpixel(30, 20), makecol(192, 192, 0));  // hydrochloric acid
  for (int r = 5; r <= 9; r++)
    EXPECT_GT(brightness(panelpixel(11 + r, 38)), brightness(backgroundpixel(11 + r, 38)));
  EXPECT_EQ(panelpixel(21, 38), backgroundpixel(21, 38));
  int doubled = panelpixel(16, 38);  // two rings of radius 5

  Ship weak;
  weak.position = {320, 240};
  weak.shieldpower = 0.05f;
  key[KEY_UP] = 1;  // a burn redraws the panel
  weak.tick(Q);
  weak.draw();
  EXPECT_GT(brightness(doubled), brightness(panelpixel(16, 38)));
  EXPECT_EQ(panelpixel(17, 38), backgroundpixel(17, 38));
}

}  // namespace
