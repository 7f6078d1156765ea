#include "enemies.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>

#include "data.h"
#include "main.h"
#include "manager.h"
#include "playerinfo.h"
#include "shot.h"
#include "support/enemies_support.h"
#include "support/testsupport.h"

namespace {

// A power of two, so timers count down exactly.
const float Step = 1.0f / 32;

// Where a wibblet placed at rest at (x, y) stands after its first tick:
// gravity has moved it down by 40 * Step^2, and nothing else yet.
Point afterfirststep(float x, float y) { return {x, y + 40.0f * Step * Step}; }

float distance(Point a, Point b) { return std::hypot(a.x - b.x, a.y - b.y); }

float speed(const Shot* s) { return std::hypot(s->velocity.x, s->velocity.y); }

}  // namespace

TEST(Enemy, DiesOnTheHitThatTakesItBelowZeroAndPaysOnce) {
  const int hitstodie[] = {3, 5, 8, 10};
  for (int type = 1; type <= 4; type++) {
    freshworld(400, 400);
    srand(11);
    Enemy e(static_cast<EnemyType>(type));
    e.position = {200, 200};
    int hits = 0;
    while (!e.dead && hits < 20) {
      e.takehit(100);
      hits++;
    }
    EXPECT_EQ(hits, hitstodie[type - 1]) << "type " << type;
    EXPECT_EQ(playerinfo.score, 20 * type);
    EXPECT_EQ(playerinfo.money, 20 * type);
    EXPECT_EQ(countexplosions(), 10);
    EXPECT_EQ(countplainparticles(), 40);

    e.takehit(100);  // a second hit before the manager removes it
    e.takehit(1000);
    EXPECT_EQ(playerinfo.score, 20 * type);
    EXPECT_EQ(playerinfo.money, 20 * type);
    EXPECT_EQ(particles.size(), 50u);
  }
}

TEST(Enemy, DeathBlastsLieWithinItsRadiusInItsColour) {
  freshworld(400, 400);
  srand(5);
  Enemy e(GreenWibblet);
  e.position = {200, 150};
  e.takehit(100000);
  ASSERT_TRUE(e.dead);
  BITMAP* blastpicture = static_cast<BITMAP*>(datafile[DataEnemyExplosion].dat);
  int r = static_cast<int>(e.radius);
  for (Particle* p : particles) {
    EXPECT_LE(std::fabs(p->position.x - 200), r);
    EXPECT_LE(std::fabs(p->position.y - 150), r);
    if (Explosion* x = dynamic_cast<Explosion*>(p))
      EXPECT_EQ(x->sprite, blastpicture);
    else
      EXPECT_EQ(p->colour, makecol(0, 255, 0));
  }
}

TEST(Enemy, WeakHitsDoNothingAndZeroHitPointsIsStillAlive) {
  freshworld(400, 400);
  Enemy e(BlueStaticWibblet);
  e.position = {200, 200};
  e.takehit(40);
  EXPECT_EQ(e.hp, 1.5f);
  e.takehit(50);  // a wibblet's own drop
  EXPECT_FLOAT_EQ(e.hp, 1.5f - 0.3125f);

  Enemy f(BlueStaticWibblet);
  f.position = {200, 200};
  f.takehit(240);  // 240 / 160 is exactly its 1.5
  EXPECT_EQ(f.hp, 0.0f);
  EXPECT_FALSE(f.dead);
  EXPECT_EQ(playerinfo.score, 0);
  f.takehit(41);
  EXPECT_TRUE(f.dead);
  EXPECT_EQ(playerinfo.score, 20);
}

TEST(Enemy, UnknownTypeIsRejected) {
  initallegro();
  for (int type : {0, 5, -1}) {
    try {
      Enemy e(static_cast<EnemyType>(type));
      FAIL() << "type " << type << " was accepted";
    } catch (const char* msg) {
      EXPECT_STREQ(msg, "Unknown enemy type");
    }
  }
}

TEST(Enemy, FiresBurstsHalfASecondApartThenPausesFiveSeconds) {
  freshworld(1600, 1200);
  srand(2);
  HitRecorder ship(900, 600);
  playership = &ship;
  Enemy e(YellowWibblet);
  e.position = {800, 600};
  std::vector<int> firedat;
  for (int t = 1; t <= 460; t++) {
    size_t before = newobjects.size();
    e.tick(Step);
    if (newobjects.size() > before) firedat.push_back(t);
  }
  // Three shots 0.5 s apart (16 steps counted down, fired on the 17th),
  // then one tick that only reloads, then 5 s of pause (161 steps).
  const std::vector<int> expected = {1, 18, 35, 213, 230, 247, 425, 442, 459};
  EXPECT_EQ(firedat, expected);
  for (Shot* s : newshots()) {
    EXPECT_EQ(s->damage, 50.0f);
    EXPECT_EQ(s->colour, makecol(255, 255, 0));
    EXPECT_NEAR(speed(s), 120.0f, 0.01f);
    EXPECT_GT(s->velocity.x, 100.0f);  // towards the ship on its right
  }
  ASSERT_FALSE(newshots().empty());
  Point first = afterfirststep(800, 600);
  EXPECT_EQ(newshots()[0]->position.x, first.x);
  EXPECT_EQ(newshots()[0]->position.y, first.y);
}

TEST(Enemy, FiresAtExactlyFiveHundredPixelsButNotBeyond) {
  freshworld(1600, 1200);
  Point home = afterfirststep(600, 600);
  HitRecorder ship(home.x + 500, home.y);
  playership = &ship;
  Enemy e(BlueStaticWibblet);
  e.position = {600, 600};
  e.tick(Step);
  EXPECT_EQ(newshots().size(), 1u);

  initmanager();
  HitRecorder far(home.x + 500.001f, home.y);
  playership = &far;
  Enemy g(BlueStaticWibblet);
  g.position = {600, 600};
  g.tick(Step);
  EXPECT_TRUE(newshots().empty());
  // Out of range nothing is used up: it fires the moment the ship closes in.
  far.position = {g.position.x - 300, g.position.y};
  g.tick(Step);
  EXPECT_EQ(newshots().size(), 1u);
}

TEST(Enemy, GreenShotsFlyTwiceAsFast) {
  for (EnemyType type : {BlueStaticWibblet, OrangeWibblet, YellowWibblet, GreenWibblet}) {
    freshworld(800, 800);
    HitRecorder ship(400, 100);
    playership = &ship;
    Enemy e(type);
    e.position = {400, 400};
    e.tick(Step);
    ASSERT_EQ(newshots().size(), 1u);
    EXPECT_NEAR(speed(newshots()[0]), type == GreenWibblet ? 240.0f : 120.0f, 0.01f);
    EXPECT_LT(newshots()[0]->velocity.y, 0.0f);  // up towards the ship
  }
}

TEST(Enemy, ShipSittingExactlyOnItGetsNoShotAndNoNaN) {
  freshworld(800, 800);
  Point home = afterfirststep(400, 400);
  HitRecorder ship(home.x, home.y);
  playership = &ship;
  Enemy e(OrangeWibblet);
  e.position = {400, 400};
  e.tick(Step);
  EXPECT_TRUE(newshots().empty());
  EXPECT_FALSE(std::isnan(e.position.x) || std::isnan(e.velocity.x));
  // Nothing was used up: the next tick with the ship aside fires.
  ship.position = {e.position.x + 50, e.position.y};
  e.tick(Step);
  ASSERT_EQ(newshots().size(), 1u);
  EXPECT_FALSE(std::isnan(newshots()[0]->velocity.x));
}

TEST(Enemy, NoShipMeansNoShotButTheBurstStillWaits) {
  freshworld(800, 800);
  Enemy e(GreenWibblet);
  e.position = {400, 400};
  for (int i = 0; i < 100; i++) e.tick(Step);
  EXPECT_TRUE(newshots().empty());
  HitRecorder ship(e.position.x, e.position.y - 100);
  playership = &ship;
  e.tick(Step);
  EXPECT_EQ(newshots().size(), 1u);
}

TEST(Enemy, HeadsBackToWhereItsFirstStepLeftItAndWobblesThere) {
  freshworld(1200, 1200);
  srand(9);
  Enemy e(OrangeWibblet);
  e.position = {600, 600};
  e.velocity = {100, 0};  // knocked sideways before its first tick
  e.tick(0.5f);
  Point home = e.position;  // 50 px right of where it was placed
  ASSERT_NEAR(home.x, 650.0f, 0.01f);

  // Put back where it was placed, at rest: if home were here it would stay.
  e.position = {600, 600};
  e.velocity = {0, 0};
  for (int i = 0; i < 96; i++) e.tick(Step);  // 3 s: a think and 0.625 s of steering
  EXPECT_NEAR(e.velocity.x, 50.0f, 3.0f);
  EXPECT_GT(e.position.x, 610.0f);

  // Near home it keeps its heading and drifts past rather than stopping,
  // then turns back: it never settles but never strays far.
  bool arrived = false, overshot = false;
  for (int i = 0; i < 32 * 40; i++) {
    e.tick(Step);
    float d = distance(e.position, home);
    if (d < 3.0f) arrived = true;
    if (arrived && d > 10.0f) overshot = true;
    EXPECT_LT(d, 200.0f);
  }
  EXPECT_TRUE(arrived);
  EXPECT_TRUE(overshot);
}

TEST(Enemy, HurtsWhatTouchesItButNeverAnotherWibblet) {
  freshworld(800, 800);
  Enemy a(GreenWibblet), b(GreenWibblet);
  a.position = {300, 300};
  b.position = {300 + a.radius + b.radius, 300};
  a.velocity = {20, 0};
  b.velocity = {-20, 0};
  checkcollision(&a, &b);
  EXPECT_EQ(a.hp, 6.0f);
  EXPECT_EQ(b.hp, 6.0f);
  EXPECT_LT(a.velocity.x, 0.0f);  // the manager still bounced them

  HitRecorder ship(0, 0);
  a.collidewithother(&ship, -3);
  a.collidewithother(&ship, -300);
  ASSERT_EQ(ship.hits.size(), 2u);
  EXPECT_EQ(ship.hits[0], 75.0f);
  EXPECT_EQ(ship.hits[1], 75.0f);
}

TEST(Enemy, ShotTouchingItBurstsAndWoundsIt) {
  freshworld(800, 800);
  Enemy e(YellowWibblet);
  e.position = {300, 300};
  Shot* s = new Shot(nullptr);
  s->position = {300 - e.radius - 3, 300};
  s->velocity = {120, 0};
  addobject(s);
  checkcollision(s, &e);
  EXPECT_TRUE(s->dead);
  EXPECT_FLOAT_EQ(e.hp, 4.5f - 100.0f / 160);
}

TEST(Enemy, SavesItsRecordWithTruncatedPosition) {
  initallegro();
  Enemy e(YellowWibblet);
  e.position = {100.9f, -0.5f};
  std::ostringstream out;
  e.save(out);
  EXPECT_EQ(out.str(), "E 3 100 0\n");
}

TEST(Enemy, DrawsItsSpriteCentredAndRegistersIt) {
  freshworld(400, 400);
  dirtyrectangles.clear();
  Enemy e(BlueStaticWibblet);
  e.position = {200.7f, 100.2f};
  e.draw();
  ASSERT_EQ(dirtyrectangles.size(), 1u);
  EXPECT_EQ(dirtyrectangles[0].x, 200 - e.sprite->w / 2);
  EXPECT_EQ(dirtyrectangles[0].y, 100 - e.sprite->h / 2);
  EXPECT_EQ(dirtyrectangles[0].w, e.sprite->w);
  EXPECT_EQ(dirtyrectangles[0].h, e.sprite->h);
  EXPECT_EQ(e.radius, static_cast<float>(e.sprite->w / 2));
}
