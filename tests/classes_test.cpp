#include "classes.h"

#include <gtest/gtest.h>

#include "support/world_support.h"

namespace {

TEST(CollidesWithScenery, BouncesOffRockAndTheWorldEdgeByImpactSpeed) {
  TestWorld world(300, 300);
  makerock(0, 60, 150, 120);   // a floor under (50, 50)
  makerock(221, 0, 299, 299);  // a wall right of (210, 50), and solid rock
  struct { float x, y, r, vx, vy, endx, endy, hit; } rows[] = {
      {50, 50, 10, 3, 2.99f, 3, -3.289f, 2.99f},  // touches below 3 px/s leave a little faster
      {50, 50, 10, 0, 3, 0, -1.5f, 3},            // harder ones lose half
      {50, 50, 10, 0, -5, 0, -5, 0},         // leaving the rock
      {100, 5, 10, 0, -10, 0, 5, 10},        // the world edge is rock
      {210.9f, 50, 10.9f, 10, 0, 10, 0, 0},  // tested as 210 and 10: short of the wall
      {211, 50, 10, 10, 0, -5, 0, 10},
      {100, 160, 10, 7, 9, 7, 9, 0},         // open space
      {260, 200, 10, 7, 9, 7, 9, 0}};        // buried in rock: no way out to push to
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.x << ", " << row.y << " moving " << row.vx << ", " << row.vy);
    HitRecorder body(row.x, row.y, row.r);
    body.velocity = {row.vx, row.vy};
    body.collidedetect();
    EXPECT_NEAR(body.velocity.x, row.endx, 1e-5);
    EXPECT_NEAR(body.velocity.y, row.endy, 1e-5);
    EXPECT_EQ(body.hits, row.hit ? std::vector<float>{row.hit} : std::vector<float>{});
  }
}

TEST(Particle, IsSentAwayFromRockTwoPixelsOff) {
  TestWorld world(300, 300);
  makerock(48, 0, 48, 299);
  makerock(52, 0, 52, 299);
  Particle p;
  p.position = {50.5f, 50.5f};
  p.velocity = {10, 0};
  p.tick(0.03125f);
  EXPECT_NEAR(p.velocity.x, -3.6f, 1e-5);  // rock on both sides: the later test wins, 0.6 twice
}

TEST(Particle, FadesOverItsLastTwoSecondsToNothing) {
  TestWorld world(300, 300);
  Particle p;
  p.position = {50, 50};
  p.life = 1.0f;  // half way through its last two seconds
  p.draw();
  EXPECT_NEAR(getr(getpixel(vscreen, 50, 50)), 128, 8);
  p.position = {120, 120};
  p.life = -0.04f;  // drawn once more in the frame its life ran out
  p.draw();
  EXPECT_EQ(getpixel(vscreen, 120, 120), 0);
  EXPECT_EQ(getpixel(vscreen, 121, 120), 0);
}

// A 40 or 41 pixel wide picture with a transparent top-left corner.
struct TestBase : StaticObject {
  explicit TestBase(int width) : StaticObject(TankHF) {
    sprite = create_bitmap(width, 16);
    clear_to_color(sprite, makecol(255, 255, 255));
    putpixel(sprite, 0, 0, bitmap_mask_color(sprite));
    this->width = width;
    height = 16;
    position = {100.0f, 200.0f};
  }
  ~TestBase() override { destroy_bitmap(sprite); }
};

TEST(StaticObject, StandsOnItsPositionForEvenAndOddWidthsAndRegistersItsRectangleOnce) {
  for (int width : {40, 41}) {
    SCOPED_TRACE(width);
    TestWorld world(300, 300);
    TestBase base(width);
    base.drawtocollisionmap();
    int right = width == 40 ? 119 : 120;
    EXPECT_EQ(getpixel(collisionmap, 80, 184), 0);  // the transparent corner
    for (int x : {80, right}) EXPECT_EQ(getpixel(collisionmap, x, 199), 8 + TankHF);
    EXPECT_EQ(getpixel(collisionmap, right + 1, 199), 0);
    EXPECT_EQ(getpixel(collisionmap, 100, 200), 0);  // it stands on its position
    base.draw();
    base.draw();
    ASSERT_EQ(dirtyrectangles.size(), 1u);
    EXPECT_EQ(std::pair(dirtyrectangles[0].x, dirtyrectangles[0].y), std::pair(80, 184));
  }
}

}  // namespace
