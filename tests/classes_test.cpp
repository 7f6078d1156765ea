#include "classes.h"

#include <gtest/gtest.h>

#include "manager.h"
#include "map.h"
#include "support/enemies_support.h"
#include "support/testsupport.h"

namespace {

// An open 300 x 300 world; empties the object lists when the test ends.
struct World {
  World() {
    freshworld(300, 300);
    dirtyrectangles.clear();
  }
  ~World() { initmanager(); }
};

// A body of radius r at (x, 50) after one scenery test at velocity (vx, vy).
HitRecorder touch(float x, float r, float vx, float vy) {
  HitRecorder body(x, 50, r);
  body.velocity = {vx, vy};
  body.collidedetect();
  return body;
}

TEST(CollidesWithScenery, RockBounceDependsOnImpactSpeed) {
  World world;
  makerock(0, 60, 299, 299);  // a floor just under the outline
  HitRecorder slow = touch(50, 10, 3, 2);
  EXPECT_NEAR(slow.velocity.y, -2.2f, 1e-5);  // slow touches leave a little faster
  EXPECT_FLOAT_EQ(slow.velocity.x, 3.0f);     // the part along the rock stays
  EXPECT_EQ(slow.hits, std::vector<float>{2.0f});
  EXPECT_NEAR(touch(50, 10, 0, 2.9f).velocity.y, -3.19f, 1e-5);
  HitRecorder fast = touch(50, 10, 0, 10);
  EXPECT_NEAR(fast.velocity.y, -5.0f, 1e-5);
  EXPECT_EQ(fast.hits, std::vector<float>{10.0f});
  fast.collidedetect();  // now leaving the rock: no contact
  EXPECT_NEAR(fast.velocity.y, -5.0f, 1e-5);
  EXPECT_EQ(fast.hits.size(), 1u);
}

TEST(CollidesWithScenery, NoRockResponseInOpenSpaceOrBuriedInRock) {
  World world;
  HitRecorder open = touch(50, 10, 7, 9);
  makerock(0, 0, 299, 299);
  HitRecorder buried = touch(50, 10, 7, 9);
  for (const HitRecorder& b : {open, buried}) {
    EXPECT_FLOAT_EQ(b.velocity.x, 7.0f);
    EXPECT_FLOAT_EQ(b.velocity.y, 9.0f);
    EXPECT_TRUE(b.hits.empty());
  }
}

TEST(CollidesWithScenery, WorldEdgeIsRockAndTheTestUsesTheTruncatedCircle) {
  World world;
  HitRecorder edge = touch(5, 10, -10, 0);
  EXPECT_NEAR(edge.velocity.x, 5.0f, 1e-5);
  EXPECT_NEAR(edge.velocity.y, 0.0f, 1e-5);
  makerock(121, 0, 299, 299);
  // Centre 110.9 and radius 10.9 are tested as 110 and 10: reaching column 120.
  EXPECT_FLOAT_EQ(touch(110.9f, 10.9f, 10, 0).velocity.x, 10.0f);
  EXPECT_NEAR(touch(111.0f, 10, 10, 0).velocity.x, -5.0f, 1e-5);
}

TEST(Particle, BouncesOffRockOnBothSidesAndOffTheWorldEdge) {
  World world;
  makerock(48, 0, 48, 299);
  makerock(52, 0, 52, 299);
  Particle p;
  p.position = {50.5f, 50.5f};
  p.velocity = {10, 0};
  p.tick(0.03125f);
  EXPECT_NEAR(p.velocity.x, -3.6f, 1e-5);  // the later test wins, 0.6 twice
  EXPECT_FALSE(p.dead);
  p.position = {1.5f, 50.5f};
  p.velocity = {-20, 0};
  p.life = 0.02f;
  p.tick(0.03125f);
  EXPECT_NEAR(p.velocity.x, 12.0f, 1e-5);
  EXPECT_TRUE(p.dead);
}

int red(int x, int y) { return getr(getpixel(vscreen, x, y)); }

TEST(Particle, FadesOverItsLastTwoSecondsAndIsInvisibleAtTheEnd) {
  World world;
  Particle p;
  p.position = {20, 20};
  p.draw();  // life 2.5: opaque centre, arms at half
  EXPECT_EQ(red(20, 20), 255);
  EXPECT_NEAR(red(21, 20), 127, 8);
  p.position = {40, 40};
  p.life = 1.0f;
  p.draw();
  EXPECT_NEAR(red(40, 40), 128, 8);
  EXPECT_NEAR(red(40, 41), 64, 8);
  p.position = {60, 60};
  p.life = -0.04f;  // drawn once more in the frame its life ran out
  p.draw();
  EXPECT_EQ(getpixel(vscreen, 60, 60), 0);
  EXPECT_EQ(getpixel(vscreen, 61, 60), 0);
  ASSERT_EQ(dirtyrectangles.size(), 3u);
  EXPECT_EQ(dirtyrectangles[0].x, 19);
  EXPECT_EQ(dirtyrectangles[0].w, 3);
}

TEST(StaticObject, StandsOnItsPositionForEvenAndOddWidths) {
  World world;
  for (int width : {40, 41}) {
    clear_to_color(collisionmap, 0);
    dirtyrectangles.clear();
    BITMAP* picture = create_bitmap(width, 16);
    clear_to_color(picture, makecol(255, 255, 255));
    putpixel(picture, 0, 0, bitmap_mask_color(picture));  // a transparent corner
    StaticObject base(TankHF);
    base.sprite = picture;
    base.width = width;
    base.height = 16;
    base.position = {100.0f, 200.0f};
    base.drawtocollisionmap();
    base.draw();
    base.draw();
    int right = width == 40 ? 119 : 120;
    EXPECT_EQ(getpixel(collisionmap, 80, 184), 0);
    EXPECT_EQ(getpixel(collisionmap, 80, 199), 8 + TankHF);
    EXPECT_EQ(getpixel(collisionmap, right, 199), 8 + TankHF);
    EXPECT_EQ(getpixel(collisionmap, right + 1, 199), 0);
    EXPECT_EQ(getpixel(collisionmap, 100, 200), 0);  // it stands on its position
    ASSERT_EQ(dirtyrectangles.size(), 1u);           // registered once only
    EXPECT_EQ(dirtyrectangles[0].x, 80);
    EXPECT_EQ(dirtyrectangles[0].y, 184);
    EXPECT_EQ(getpixel(vscreen, right, 199), makecol(255, 255, 255));
    destroy_bitmap(picture);
  }
}

TEST(StaticObject, UnknownTypeIsATextError) {
  World world;
  try {
    StaticObject obj(static_cast<StaticType>(6));
    FAIL() << "type 6 was accepted";
  } catch (const char* msg) {
    EXPECT_STREQ(msg, "Unable to get bitmap in StaticObject");
  }
}

}  // namespace
