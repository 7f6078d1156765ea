#include "shot.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/world_support.h"

TEST(Shot, BurstsOnHitsAboveFortyAndMeetingHeadOnAndHitsEvenItsFirer) {
  TestWorld world(400, 400);
  Shot forty(nullptr), hard(nullptr);
  forty.takehit(40);
  EXPECT_EQ(forty.hp, 0.0f);
  EXPECT_TRUE(!forty.dead && particles.empty());
  hard.takehit(41);
  HitRecorder firer(200, 300, 10);
  Shot* left = addshot(&firer, {100, 200}, {120, 0});  // touching and closing at 240 px/s
  Shot* right = addshot(nullptr, {106, 200}, {-120, 0});
  checkcollision(left, right);
  EXPECT_TRUE(left->dead && right->dead);
  EXPECT_EQ(particles.size(), 18u);  // five particles and an explosion for each of the three
  EXPECT_EQ(countexplosions(), 3);
  Shot* back = addshot(&firer, {200, 287}, {0, 60});  // falling back onto the firer's rim
  back->damage = 300;  // the ship's hydrofluoric drop
  checkcollision(back, &firer);
  EXPECT_EQ(firer.hits, std::vector<float>{300.0f});
}

TEST(Shot, ExpiresSilentlyAfterSixSecondsAndDrawsSafelyWhenRunaway) {
  TestWorld world(200, 2000);
  Shot* s = addshot(nullptr, {100, 1000}, {0, -120});  // thrown up, it falls back clear of any edge
  for (int i = 0; i < 119; i++) s->tick(0.05f);
  EXPECT_FALSE(s->dead);
  s->tick(0.1f);
  EXPECT_TRUE(s->dead && particles.empty());
  s->position = {3e38f, NAN};  // a runaway
  s->draw();  // the sanitizer build stops here on an overflowing cast
  EXPECT_EQ(wholepixel(-3.7f), -3);
  EXPECT_EQ(wholepixel(-INFINITY), -1000000000);
}
