#include "enemies.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/world_support.h"

namespace {

const float Step = 1.0f / 32;  // a power of two, so the timers count down exactly

// A wibblet at `at` after its first tick (gravity moved it 40 * Step^2), a ship (dx, dy) from it.
struct Duel {
  Enemy wibblet;
  HitRecorder ship;
  Duel(EnemyType type, Point at, float dx, float dy = 0)
      : wibblet(type), ship(at.x + dx, at.y + 40.0f * Step * Step + dy) {
    playership = &ship;
    wibblet.position = at;
    wibblet.tick(Step);
  }
};

float speed(const Shot* s) { return std::hypot(s->velocity.x, s->velocity.y); }

TEST(Enemy, DiesOnTheHitThatTakesItBelowZero) {
  const int hitstodie[NumEnemyTypes] = {3, 5, 8, 10}, fluoric[NumEnemyTypes] = {1, 2, 3, 4};
  for (int type = 1; type <= NumEnemyTypes; type++) {
    SCOPED_TRACE(testing::Message() << "type " << type);
    TestWorld world(400, 400);
    Enemy e(static_cast<EnemyType>(type)), f(static_cast<EnemyType>(type));
    f.takehit(160 * f.hp);  // exactly to 0: still alive
    f.takehit(40);          // too weak to harm
    EXPECT_FALSE(f.dead);
    EXPECT_EQ(f.hp, 0);
    int hits = 0;
    for (; !e.dead && hits < 20; hits++) e.takehit(100);
    EXPECT_EQ(hits, hitstodie[type - 1]);
    // What the pilot plans its fights with, for either acid and a harmless hit.
    EXPECT_EQ(hitstokill(e.type, aciddamage(Hydrochloric)), hits);
    EXPECT_EQ(hitstokill(e.type, aciddamage(Hydrofluoric)), fluoric[type - 1]);
    EXPECT_EQ(hitstokill(e.type, HitScale), 0);
    EXPECT_EQ(playerinfo.score, 20 * type);
    EXPECT_EQ(playerinfo.money, 20 * type);
  }
}

TEST(Enemy, PaysAndExplodesOnlyOnceWhenHitAgainBeforeItIsRemoved) {
  TestWorld world(400, 400);
  Enemy e(GreenWibblet);
  e.takehit(10000);
  e.takehit(10000);
  EXPECT_EQ(playerinfo.money, 80);
  EXPECT_EQ(countexplosions(), 10);
  EXPECT_EQ(particles.size(), 50u);  // four particles round each blast
}

TEST(Enemy, UnknownTypesAreRejected) {
  for (int type : {0, NumEnemyTypes + 1, -1})
    EXPECT_EQ(thrown([=] { Enemy e(static_cast<EnemyType>(type)); }), "Unknown enemy type") << type;
}

TEST(Enemy, FiresBurstsHalfASecondApartThenPausesFiveSeconds) {
  TestWorld world(1600, 1200);
  srand(2);
  Duel d(YellowWibblet, {800, 600}, 100);
  std::vector<int> firedat;
  for (int t = 1; t <= 460; t++) {
    if (t > 1) d.wibblet.tick(Step);
    if (newobjects.size() > firedat.size()) firedat.push_back(t);
  }
  // Three shots 16 steps apart, a step that only reloads, 161 steps of pause.
  EXPECT_EQ(firedat, (std::vector<int>{1, 18, 35, 213, 230, 247, 425, 442, 459}));
  for (Shot* s : newshots()) {
    EXPECT_EQ(s->damage, 50);
    EXPECT_GT(s->velocity.x, 100);  // at the ship
  }
}

// Green drops fly twice as fast as the others.
TEST(Enemy, AimsAtAShipWithin500PixelsButNotOneRightOnIt) {
  const struct { EnemyType type; float dx, dy; size_t shots; float speed; } rows[] = {
      {OrangeWibblet, 500, 0, 1, 120}, {OrangeWibblet, 500.001f, 0, 0, 0}, {OrangeWibblet, 0, 0, 0, 0},
      {GreenWibblet, 0, -300, 1, 240}};
  for (const auto& row : rows) {
    TestWorld world(1600, 1200);
    Duel d(row.type, {600, 600}, row.dx, row.dy);
    ASSERT_EQ(newshots().size(), row.shots) << row.dx;
    for (Shot* s : newshots()) EXPECT_NEAR(speed(s), row.speed, 0.01f);  // a NaN would fail too
  }
  TestWorld world(1600, 1200);
  Duel on(OrangeWibblet, {600, 600}, 0);
  on.ship.position.x += 50;  // moved aside, it is fired at at once
  on.wibblet.tick(Step);
  EXPECT_EQ(newshots().size(), 1u);
}

TEST(Enemy, WobblesAboutWhereItsFirstStepLeftIt) {
  TestWorld world(1200, 1200);
  Enemy e(OrangeWibblet);
  e.position = {600, 600};
  e.velocity = {100, 0};  // knocked sideways before its first tick
  e.tick(0.5f);
  Point home = e.position;  // 50 px right of where it was placed
  e.position = {600, 600};  // put back at rest: were home here, it would stay
  e.velocity = {0, 0};  // it heads home, keeps its heading near it and drifts past, then turns back
  bool arrived = false, overshot = false;
  for (int i = 0; i < 32 * 40; i++) {
    e.tick(Step);
    float d = std::hypot(e.position.x - home.x, e.position.y - home.y);
    arrived = arrived || d < 3.0f;
    overshot = overshot || (arrived && d > 10.0f);
    ASSERT_LT(d, 200.0f);
  }
  EXPECT_TRUE(arrived);
  EXPECT_TRUE(overshot);
}

TEST(Enemy, HurtsWhatTouchesItButNeverAnotherWibblet) {
  TestWorld world(800, 800);
  Enemy a(GreenWibblet), b(GreenWibblet);
  a.position = {300, 300};
  b.position = {300 + a.radius + b.radius, 300};
  a.velocity = {20, 0};
  checkcollision(&a, &b);
  EXPECT_EQ(a.hp, 6);
  EXPECT_EQ(b.hp, 6);
  HitRecorder ship(0, 0);
  a.collidewithother(&ship, -300);
  EXPECT_EQ(ship.hits, std::vector<float>{75.0f});
}

}  // namespace
