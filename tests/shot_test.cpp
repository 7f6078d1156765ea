#include "shot.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/world_support.h"

TEST(Shot, BurstsOnAHitAboveForty) {
  TestWorld world(400, 400);
  Shot forty(nullptr), hard(nullptr);
  forty.takehit(40);
  EXPECT_EQ(forty.hp, 0.0f);
  EXPECT_FALSE(forty.dead);
  EXPECT_TRUE(particles.empty());
  hard.takehit(41);
  EXPECT_TRUE(hard.dead);
  EXPECT_EQ(particles.size(), 6u);  // five particles and an explosion
  EXPECT_EQ(countexplosions(), 1);
}

TEST(Shot, DropsMeetingHeadOnBothBurst) {
  TestWorld world(400, 400);
  Shot* left = addshot(nullptr, {100, 200}, {120, 0});  // touching and closing at 240 px/s
  Shot* right = addshot(nullptr, {106, 200}, {-120, 0});
  checkcollision(left, right);
  EXPECT_TRUE(left->dead);
  EXPECT_TRUE(right->dead);
}

TEST(Shot, HitsEvenItsFirer) {
  TestWorld world(400, 400);
  HitRecorder firer(200, 300, 10);
  Shot* back = addshot(&firer, {200, 287}, {0, 60});  // falling back onto the firer's rim
  back->damage = 300;  // the ship's hydrofluoric drop
  checkcollision(back, &firer);
  EXPECT_EQ(firer.hits, std::vector<float>{300.0f});
}

TEST(Shot, ExpiresSilentlyAfterSixSeconds) {
  TestWorld world(200, 2000);
  Shot* s = addshot(nullptr, {100, 1000}, {0, -120});  // thrown up, it falls back clear of any edge
  for (int i = 0; i < 119; i++) s->tick(0.05f);
  EXPECT_FALSE(s->dead);
  s->tick(0.1f);
  EXPECT_TRUE(s->dead);
  EXPECT_TRUE(particles.empty());
}

TEST(Shot, RunawayDropDrawsAtTheGamesWholePixels) {
  TestWorld world(200, 200);
  Shot* s = addshot(nullptr, {3e38f, NAN}, {0, 0});
  s->draw();  // the sanitizer build stops here on an overflowing cast
  EXPECT_EQ(wholepixel(-3.7f), -3);
  EXPECT_EQ(wholepixel(-INFINITY), -1000000000);
}
