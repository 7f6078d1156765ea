#include <gtest/gtest.h>

#include <cmath>

#include "common.h"
#include "data.h"
#include "gamedata.h"
#include "items.h"
#include "support/world_support.h"

namespace {

const float Q = 0.03125f;  // a frame of exactly representable length
const float TurnStep = 1.5707964f * Q;  // a quarter turn a second
const float Transfer = 0.2f * Q;        // drawn from a tank in one frame
const float G = -40.0f * Q;             // a rise that gravity stops in one frame

void run(Ship& ship, int frames) { for (int i = 0; i < frames && !ship.dead; i++) ship.tick(Q); }

// One frame with the rocket, both arrows and the trigger held, for ids in and beyond the
// catalogue: engines count every benefit up to their id, guns only their own.
TEST(Ship, FittedEngineAndGunSetThrustFuelTurningJetsAndAcid) {
  struct Row { int engine, weapon; float thrust, burn, turn; size_t jets; float acid; } rows[] = {
      {0, 0, 120, 0.05f, 1, 1, 0.05f},
      {EngineMk1, PlainAcidGun, 120, 0.05f, 1, 1, 0.05f},
      {EngineMk2, EfficientAcidGun, 120, 0.05f * 2 / 3, 1, 1, 0.025f},
      {EngineMk3, SprayAcidGun, 180, 0.05f * 2 / 3, 1, 3, 0.05f},
      {EngineMk4, 4, 180, 0.05f * 2 / 3, 2, 1, 0.05f},
      {7, PlainAcidGun, 180, 0.05f * 2 / 3, 2, 1, 0.05f}};
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "engine " << row.engine << ", gun " << row.weapon);
    TestWorld world;
    playerinfo.engine = row.engine;
    playerinfo.weapon = row.weapon;
    key[KEY_UP] = key[KEY_LEFT] = key[KEY_RIGHT] = key[KEY_LCONTROL] = 1;
    Ship ship;
    ship.position = {320, 240};
    ship.tick(Q);  // against gravity, then turning; both arrows turn clockwise
    EXPECT_FLOAT_EQ(ship.velocity.y, (40.0f - row.thrust) * Q);
    EXPECT_NEAR((1.0f - ship.hydrogen) / Q, row.burn, 1e-4);
    EXPECT_EQ(ship.oxygen, ship.hydrogen);
    EXPECT_FLOAT_EQ(ship.angle, row.turn * TurnStep);
    ASSERT_EQ(newshots().size(), row.jets);
    EXPECT_NEAR(ship.ammo, 1.0f - row.acid, 1e-6);
    const float sideways[] = {0, -0.2617994f, 0.2617994f};  // straight on, then 15 degrees either side
    for (size_t i = 0; i < newshots().size(); i++)
      EXPECT_NEAR(newshots()[i]->velocity.x, 120.0f * std::sin(sideways[i]), 1e-3) << i;
  }
}

// Rules that play out over frames, each from a fresh ship with full stores
// and shield hovering over a base or tank, SPACE held where it draws.
TEST(Ship, ShieldStressGunTransfersAndDockingRunAtTheirRates) {
  using Setup = void (*)(Ship&, StaticObject&);
  using Reading = float (*)(const Ship&, const StaticObject&);
  const Setup none = [](Ship&, StaticObject&) {}, half = [](Ship& s, StaticObject&) { s.hydrogen = 0.5f; };
  const Setup halfshield = [](Ship& s, StaticObject&) { s.shieldpower = 0.5f; };
  const Setup drain = [](Ship& s, StaticObject& t) { s.hydrogen = 0.5f, t.capacity = Transfer; };
  const Setup hf = [](Ship& s, StaticObject&) { s.ammotype = Hydrofluoric; };
  const Reading hydrogen = [](const Ship& s, const StaticObject&) { return s.hydrogen; };
  const Reading oxygen = [](const Ship& s, const StaticObject&) { return s.oxygen; };
  const Reading shield = [](const Ship& s, const StaticObject&) { return s.shieldpower; };
  const Reading stress = [](const Ship& s, const StaticObject&) { return s.shieldstress; };
  const Reading shots = [](const Ship&, const StaticObject&) { return float(newshots().size()); };
  const Reading damage = [](const Ship&, const StaticObject&) { return newshots().at(0)->damage; };
  const Reading looksempty = [](const Ship&, const StaticObject& t) { return float(t.sprite == datafile[DataEmptyTank].dat); };
  const Reading hfammo = [](const Ship& s, const StaticObject&) { return s.ammotype == Hydrofluoric ? s.ammo : -1; };
  const Reading docked = [](const Ship&, const StaticObject&) { return float(playerinfo.levelcomplete); };
  struct Row {
    const char* rule;
    StaticType under;
    Setup setup;
    int key;  // held throughout, or 0
    int frames;
    Reading reading;
    float expected;
  } rows[] = {
      {"a shield recharge costs hydrogen", TankHydrogen, halfshield, 0, 32, hydrogen, 1.0f - 0.05f / 90},
      {"and oxygen", TankHydrogen, halfshield, 0, 32, oxygen, 1.0f - 0.05f / 90},
      {"the shield fills in 90 s", TankHydrogen, halfshield, 0, 32, shield, 0.5f + 1.0f / 90},
      {"the glow of a hit fades by 3 a second", TankHydrogen, [](Ship& s, StaticObject&) { s.shieldstress = 2.0f; }, 0, 16, stress, 0.5f},
      {"a held trigger fires once a second", TankHydrogen, none, KEY_LCONTROL, 48, shots, 2},
      {"hydrofluoric drops hurt three times as much", TankHydrogen, hf, KEY_LCONTROL, 1, damage, 3 * ShotDamage},
      {"a store fills to one step past full", TankHydrogen, [](Ship& s, StaticObject&) { s.hydrogen = 0.99f; }, KEY_SPACE, 32, hydrogen, 0.99f + 2 * Transfer},
      {"drawing at 100 px/s", TankHydrogen, [](Ship& s, StaticObject&) { s.hydrogen = 0.5f, s.velocity = {100, G}; }, KEY_SPACE, 1, hydrogen, 0.5f + Transfer},
      {"no drawing faster", TankHydrogen, [](Ship& s, StaticObject&) { s.hydrogen = 0.5f, s.velocity = {100.01f, G}; }, KEY_SPACE, 1, hydrogen, 0.5f},
      {"a tank drained to exactly 0 gives no more", TankHydrogen, drain, KEY_SPACE, 2, hydrogen, 0.5f + Transfer},
      {"and looks empty only below it", TankHydrogen, drain, KEY_SPACE, 2, looksempty, 0},
      {"a drained tank looks empty", TankHydrogen, [](Ship& s, StaticObject& t) { s.hydrogen = 0.5f, t.capacity = 0.005f; }, KEY_SPACE, 1, looksempty, 1},
      {"drawing the other acid pours the old away", TankHF, [](Ship& s, StaticObject&) { s.ammo = 0.8f; }, KEY_SPACE, 1, hfammo, Transfer},
      {"docking a frame short of 1.5 s is not enough", PlayerBaseExit, half, KEY_SPACE, 47, docked, 0},
      {"docking a frame past 1.5 s completes the level", PlayerBaseExit, half, KEY_SPACE, 49, docked, 1}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.rule);
    TestWorld world;
    Ship ship;
    StaticObject tank(row.under);
    ship.position = {320, 100};
    tank.position = {320, 170};
    nearobjects = {&ship, &tank};
    row.setup(ship, tank);
    if (row.key) key[row.key] = 1;
    run(ship, row.frames);
    EXPECT_NEAR(row.reading(ship, tank), row.expected, 1e-5);
  }
}

TEST(Ship, StoresAtExactlyZeroBurnAndFireOnceMore) {
  TestWorld world;
  Ship ship;
  ship.position = {320, 240};
  ship.hydrogen = ship.ammo = 0;
  key[KEY_UP] = key[KEY_LCONTROL] = 1;
  ship.tick(Q);
  EXPECT_FLOAT_EQ(ship.velocity.y, -80.0f * Q);
  EXPECT_EQ(newshots().size(), 1u);
  run(ship, 40);  // past the gun's cooldown: both stay silent below 0
  EXPECT_FLOAT_EQ(ship.velocity.y, -80.0f * Q + 40 * 40.0f * Q);
  EXPECT_EQ(newshots().size(), 1u);
}

TEST(Ship, RockImpactsAbove40PixelsPerSecondCostShield) {
  TestWorld world;
  makerock(0, 263, 639, 479);  // a floor touching the ship's outline
  Ship ship;
  ship.position = {320, 240};
  for (float speed : {40.0f, 80.0f}) {
    ship.velocity = {0, speed};
    ship.collidedetect();
  }
  EXPECT_NEAR(ship.shieldpower, 0.75f, 1e-6);  // the touch at 40 cost nothing
}

TEST(Ship, LosingTheShieldBreaksTheShipUpSpinningInFiveSeconds) {
  TestWorld world;
  Ship ship;
  ship.position = {320, 240};
  ship.takehit(440);  // damage 11: the shield is gone, and later hits do nothing
  ship.takehit(400);
  EXPECT_NEAR(ship.shieldpower, -0.375f, 1e-6);
  key[KEY_UP] = key[KEY_LEFT] = key[KEY_LCONTROL] = 1;
  ship.tick(Q);
  EXPECT_FLOAT_EQ(ship.velocity.y, 40.0f * Q);  // no thrust
  EXPECT_FLOAT_EQ(ship.angle, TurnStep);  // spins clockwise
  run(ship, 150);                         // 4.7 s in all
  EXPECT_FALSE(ship.dead);
  run(ship, 20);
  EXPECT_TRUE(ship.dead);
  EXPECT_TRUE(newshots().empty());
  EXPECT_EQ(std::count_if(particles.begin(), particles.end(), [](Particle* p) { return p->life == 5.0f; }), 40);
}

// A pixel of the panel as shown at the view's top right, and of its picture.
int panelpixel(int x, int y) { return getpixel(vscreen, screenoffsetx + PanelScreenX + x, screenoffsety + y); }
int backgroundpixel(int x, int y) { return getpixel(static_cast<BITMAP*>(datafile[DataPanel].dat), x, y); }
int brightness(int c) { return getr(c) + getg(c) + getb(c); }

TEST(Ship, PanelShowsTheStoresAsBarsAndTheShieldAsRings) {
  TestWorld world(700, 500);
  screenoffsetx = 20;
  screenoffsety = 10;
  Ship ship;
  ship.position = {320, 240};  // the sprite wholly in the world
  ship.draw();
  EXPECT_EQ(panelpixel(30, 20), makecol(192, 192, 0));  // hydrochloric acid
  for (int r = 5; r <= 10; r++)  // lit up to radius 9
    EXPECT_EQ(brightness(panelpixel(11 + r, 38)) > brightness(backgroundpixel(11 + r, 38)), r < 10) << r;
  int doubled = panelpixel(16, 38);  // two rings on each radius
  ship.hydrogen = 1.004f;  // a step over full: a full bar
  ship.oxygen = 0.25f;
  ship.ammo = -0.04f;  // a step under empty: an empty bar
  ship.shieldpower = 0.05f + 41.0f / 320;
  ship.takehit(41);  // the hit redraws the panel and leaves one ring
  ship.draw();
  const int Bg = -1, red = makecol(192, 0, 0), blue = makecol(0, 0, 192);
  const int pixels[][3] = {{30, 4, red},   {59, 10, red}, {60, 7, 0},  {61, 4, Bg},  {30, 11, Bg},
                           {36, 12, blue}, {37, 12, 0},   {30, 20, 0}, {29, 20, Bg}, {17, 38, Bg}};
  for (const auto& p : pixels)
    EXPECT_EQ(panelpixel(p[0], p[1]), p[2] == Bg ? backgroundpixel(p[0], p[1]) : p[2]) << p[0] << ", " << p[1];
  EXPECT_GT(brightness(doubled), brightness(panelpixel(16, 38)));
}

}  // namespace
