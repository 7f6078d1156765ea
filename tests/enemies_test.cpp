#include "enemies.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/world_support.h"

namespace {

const float Step = 1.0f / 32;  // a power of two, so the timers count down exactly

// A wibblet placed at rest at `at` after its first tick (gravity alone moved
// it 40 * Step^2 down), with a ship stand-in (dx, dy) from where it now is.
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

TEST(Enemy, DiesOnTheHitThatTakesItBelowZeroAndPaysOnlyOnceAndUnknownTypesAreRejected) {
  const int hitstodie[] = {3, 5, 8, 10};
  for (int type = 1; type <= 4; type++) {
    TestWorld world(400, 400);
    Enemy e(static_cast<EnemyType>(type)), f(static_cast<EnemyType>(type));
    f.takehit(160 * f.hp);  // exactly to 0: still alive
    f.takehit(40);          // too weak to harm
    EXPECT_FALSE(f.dead || f.hp != 0) << "type " << type;
    int hits = 0;
    for (; !e.dead && hits < 20; hits++) e.takehit(100);
    EXPECT_EQ(hits, hitstodie[type - 1]) << "type " << type;
    e.takehit(1000);  // hit again before the manager removes it
    EXPECT_EQ(std::make_pair(playerinfo.score, playerinfo.money), std::make_pair(20 * type, 20 * type));
    EXPECT_EQ(std::make_pair(countexplosions(), particles.size()), std::make_pair(10, size_t{50}));
  }
  for (int type : {0, 5, -1})
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
  for (Shot* s : newshots()) EXPECT_TRUE(s->damage == 50 && s->velocity.x > 100);
}

TEST(Enemy, AimsWithin500PixelsButNeverAtAShipOnItAndGreenShotsFlyTwiceAsFast) {
  TestWorld world(1600, 1200);
  Duel near(BlueStaticWibblet, {600, 600}, 500);
  EXPECT_EQ(newshots().size(), 1u);
  Duel far(BlueStaticWibblet, {600, 600}, 500.001f);
  Duel on(OrangeWibblet, {600, 600}, 0);
  EXPECT_EQ(newshots().size(), 1u);
  on.ship.position.x += 50;  // moved aside, it is fired at at once
  on.wibblet.tick(Step);
  Duel green(GreenWibblet, {600, 600}, 0, -300);
  ASSERT_EQ(newshots().size(), 3u);
  for (int i = 0; i < 3; i++)  // and a NaN speed would fail too
    EXPECT_NEAR(std::hypot(newshots()[i]->velocity.x, newshots()[i]->velocity.y), i < 2 ? 120 : 240, 0.01f) << i;
}

TEST(Enemy, HeadsBackToWhereItsFirstStepLeftItAndWobblesThere) {
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
  EXPECT_TRUE(arrived && overshot);
}

TEST(Enemy, HurtsWhatTouchesItButNeverAnotherWibblet) {
  TestWorld world(800, 800);
  Enemy a(GreenWibblet), b(GreenWibblet);
  a.position = {300, 300};
  b.position = {300 + a.radius + b.radius, 300};
  a.velocity = {20, 0};
  checkcollision(&a, &b);
  EXPECT_TRUE(a.hp == 6 && b.hp == 6);
  HitRecorder ship(0, 0);
  a.collidewithother(&ship, -300);
  EXPECT_EQ(ship.hits, std::vector<float>{75.0f});
}

}  // namespace
