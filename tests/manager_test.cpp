#include "manager.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <functional>

#include "map.h"
#include "playerinfo.h"
#include "support/testsupport.h"

namespace {

struct Contact {
  CollidesWithScenery* other;
  float strength;
};

// A body that counts what the manager does to it. When `paint` is set its
// draw() fills a 10x10 square around its position and registers it.
class Body : public CollidesWithScenery {
 public:
  int draws = 0, ticks = 0;
  bool paint = false;
  bool* deleted = nullptr;
  std::vector<Contact> contacts;
  std::function<void()> ontick;

  Body(float x, float y, float r = 10, float m = 1) {
    position = Point{x, y};
    radius = r;
    mass = m;
  }
  ~Body() override {
    if (deleted) *deleted = true;
  }
  void draw() override {
    draws++;
    if (!paint) return;
    int x = static_cast<int>(position.x) - 5, y = static_cast<int>(position.y) - 5;
    rectfill(vscreen, x, y, x + 9, y + 9, makecol(255, 255, 0));
    addrect(x, y, 10, 10);
  }
  void tick(float) override {
    ticks++;
    if (ontick) ontick();
  }
  void collidewithother(CollidesWithScenery* other, float strength) override {
    contacts.push_back({other, strength});
  }
};

class Dot : public Particle {
 public:
  int draws = 0, ticks = 0;
  void draw() override { draws++; }
  void tick(float) override { ticks++; }
};

class Scenery : public GameObject {
 public:
  void draw() override {}
};

// A body whose record writing fails half way, like a full disk.
class FailingWriter : public Body {
 public:
  FailingWriter() : Body(0, 0) {}
  void save(std::ostream& out) override {
    out << "S 1 2";
    out.setstate(std::ios::badbit);
  }
};

class Manager : public ::testing::Test {
 protected:
  void SetUp() override {
    makeworld(2560, 2560);
    initmanager();
    dirtyrectangles.clear();
    playerinfo.levelcomplete = false;
    if (!screenbmp) screenbmp = create_bitmap(640, 480);
    screen = screenbmp;
  }
  void TearDown() override {
    initmanager();
    screen = nullptr;
  }

  // Adds a body and lets it join gameobjects and nearobjects.
  Body* place(float x, float y, float r = 10, float m = 1) {
    Body* b = new Body(x, y, r, m);
    addobject(b);
    removedeads();
    nearobjects.push_back(b);
    return b;
  }

  static BITMAP* screenbmp;
};
BITMAP* Manager::screenbmp = nullptr;

}  // namespace

TEST_F(Manager, DeadObjectStaysOneStepAndIsDeletedTheNext) {
  bool deleted = false;
  Body* b = new Body(0, 0);
  b->deleted = &deleted;
  addobject(b);
  EXPECT_EQ(newobjects.size(), 1u);
  tickall(0.01f);
  ASSERT_EQ(gameobjects.size(), 1u);
  EXPECT_EQ(b->ticks, 1);
  b->dead = true;
  playership = b;
  tickall(0.01f);
  EXPECT_TRUE(gameobjects.empty());
  EXPECT_EQ(deadobjects.size(), 1u);
  EXPECT_FALSE(deleted);
  EXPECT_EQ(playership, nullptr);
  EXPECT_EQ(b->ticks, 1);
  tickall(0.01f);
  EXPECT_TRUE(deleted);
  EXPECT_TRUE(deadobjects.empty());
}

TEST_F(Manager, ParticlesJoinAtOnceAndAreTickedAfterObjects) {
  Body* b = new Body(0, 0);
  Dot* dot = nullptr;
  b->ontick = [&] { addobject(dot = new Dot); };
  addobject(b);
  removedeads();
  tickall(0.01f);
  ASSERT_EQ(particles.size(), 1u);
  EXPECT_EQ(dot->ticks, 1);  // added during the object pass, ticked the same step
  EXPECT_EQ(gameobjects.size(), 1u);
  dot->dead = true;
  b->ontick = nullptr;
  tickall(0.01f);
  EXPECT_TRUE(particles.empty());
  EXPECT_EQ(deadobjects.size(), 1u);
}

TEST_F(Manager, QuantumIsOneOverFramesButAtMostOneTwentieth) {
  timerfunc();
  measureframe();  // starts a fresh count
  for (int frames : {10, 100, 20}) {
    for (int i = 1; i < frames; i++) measureframe();
    timerfunc();
    measureframe();
    EXPECT_FLOAT_EQ(quantum, frames == 10 ? 0.05f : 1.0f / frames) << frames;
  }
}

TEST_F(Manager, CameraRestsWithinSevenPixelsAndEasesATenthOtherwise) {
  Body* b = new Body(1005, 1004);
  addobject(b);
  viewportcentre = Point{1000, 1000};
  trackobject(b);
  EXPECT_EQ(playership, nullptr);  // not a ship
  track();
  EXPECT_EQ(viewportcentre.x, 1000.0f);
  EXPECT_EQ(screenoffsetx, 680);
  EXPECT_EQ(screenoffsety, 760);
  b->position = Point{1100, 1000};
  track();
  EXPECT_FLOAT_EQ(viewportcentre.x, 1010.0f);
  b->dead = true;
  track();
  EXPECT_FLOAT_EQ(viewportcentre.x, 1019.0f);  // the dying frame still moves
  EXPECT_EQ(trackingobject, nullptr);
  b->position = Point{2000, 2000};
  track();
  EXPECT_FLOAT_EQ(viewportcentre.x, 1019.0f);
  trackobject(nullptr);
  EXPECT_EQ(trackingobject, nullptr);
}

TEST_F(Manager, CameraWindowStopsAtThePictureEdges) {
  Body* b = new Body(0, 0);
  addobject(b);
  trackobject(b);
  struct Case {
    float x, y;
    int ox, oy;
  } cases[] = {{100, 100, 0, 0}, {2500, 2550, 1920, 2080}, {1000, 240, 680, 0}};
  for (const Case& c : cases) {
    viewportcentre = b->position = Point{c.x, c.y};
    track();
    EXPECT_EQ(screenoffsetx, c.ox);
    EXPECT_EQ(screenoffsety, c.oy);
    EXPECT_EQ(viewportcentre.x, c.x);  // the centre itself is never clamped
  }
  makeworld(320, 200);  // smaller than the screen: the upper bound wins
  track();
  EXPECT_EQ(screenoffsetx, -320);
  EXPECT_EQ(screenoffsety, -280);
}

TEST_F(Manager, OnlyObjectsWithinAScreenOfTheCentreAreDrawnButAllParticles) {
  viewportcentre = Point{1000, 1000};
  Body* in[] = {place(1639, 1000), place(361, 1479), place(1000, 521)};
  Body* out[] = {place(1640, 1000), place(1000, 520), place(360, 1000)};
  Dot* far = new Dot;
  far->position = Point{0, 0};
  addobject(far);
  drawall();
  for (Body* b : in) EXPECT_EQ(b->draws, 1);
  for (Body* b : out) EXPECT_EQ(b->draws, 0);
  EXPECT_EQ(far->draws, 1);
  EXPECT_EQ(nearobjects, std::vector<GameObject*>(in, in + 3));
}

TEST_F(Manager, DirtyRectanglesRestoreExactlyWhatWasPainted) {
  for (int y = 0; y < backgroundHeight; y += 7) hline(background, 0, y, backgroundWidth, makecol(0, 90, 200));
  refreshvscreen();
  viewportcentre = Point{320, 240};
  screenoffsetx = screenoffsety = 0;
  Body* a = place(100, 100);
  Body* edge = place(2, 2);  // its square runs off the picture
  a->paint = edge->paint = true;
  playerinfo.levelcomplete = true;
  drawall();
  EXPECT_EQ(getpixel(screen, 100, 100), makecol(255, 255, 0));
  bool white = false;
  for (int x = 0; x < 640; x++) white = white || getpixel(screen, x, 10) == makecol(255, 255, 255);
  EXPECT_TRUE(white);  // the banner
  EXPECT_TRUE(dirtyrectangles.empty());
  int size = backgroundWidth * backgroundHeight * bitmap_color_depth(vscreen) / 8;
  EXPECT_EQ(memcmp(vscreen->dat, background->dat, size), 0);
}

TEST_F(Manager, ScreenDumpWritesTheScreenAsPcx) {
  std::string dir = maketempdir();
  char old[4096];
  ASSERT_NE(getcwd(old, sizeof old), nullptr);
  ASSERT_EQ(chdir(dir.c_str()), 0);
  clear_to_color(screen, makecol(255, 0, 0));
  ScreenDump();
  BITMAP* saved = load_bitmap("dump.pcx", nullptr);
  EXPECT_EQ(chdir(old), 0);
  ASSERT_NE(saved, nullptr);
  EXPECT_EQ(saved->w, 640);
  EXPECT_EQ(saved->h, 480);
  EXPECT_EQ(getr(getpixel(saved, 5, 5)), 255);
  destroy_bitmap(saved);
}

TEST_F(Manager, TouchingApproachingDiscsBounceAndAreTold) {
  Body* a = place(100, 100, 10);
  Body* b = place(130, 100, 20);  // exactly touching
  a->velocity = Point{5, 3};
  b->velocity = Point{-7, 1};
  collidedetect();
  EXPECT_FLOAT_EQ(a->velocity.x, -7);  // equal masses swap along the line
  EXPECT_FLOAT_EQ(b->velocity.x, 5);
  EXPECT_FLOAT_EQ(a->velocity.y, 3);
  EXPECT_FLOAT_EQ(b->velocity.y, 1);
  ASSERT_EQ(a->contacts.size(), 1u);
  EXPECT_EQ(a->contacts[0].other, b);
  EXPECT_FLOAT_EQ(a->contacts[0].strength, -12);
  EXPECT_FLOAT_EQ(b->contacts[0].strength, -12);
}

TEST_F(Manager, HeavyBodyGetsTheMassShareOfALightShot) {
  Body* shot = place(100, 100, 2, 1000);
  Body* heavy = place(110, 100, 10, 10000);
  shot->velocity = Point{120, 0};
  collidedetect();
  EXPECT_FLOAT_EQ(heavy->velocity.x, 120 * 2000.0f / 11000);
  EXPECT_FLOAT_EQ(shot->velocity.x, 120 - 120 * 20000.0f / 11000);
}

TEST_F(Manager, RestingOverlapsAreToldSeparatingOnesAndCoincidentOnesAreNot) {
  Body* a = place(100, 100);
  Body* b = place(105, 100);
  collidedetect();
  EXPECT_EQ(a->contacts.size(), 1u);
  EXPECT_EQ(b->contacts.size(), 1u);
  EXPECT_EQ(b->contacts[0].strength, 0);
  EXPECT_EQ(a->velocity.x, 0);
  a->velocity = Point{-1, 0};
  collidedetect();
  EXPECT_EQ(a->contacts.size(), 1u);
  nearobjects.clear();
  Body* c = place(500, 500);
  Body* d = place(500, 500);
  c->velocity = Point{3, 4};
  collidedetect();  // no line of centres: the pair is skipped
  EXPECT_TRUE(c->contacts.empty() && d->contacts.empty());
  EXPECT_EQ(c->velocity.x, 3);
  EXPECT_EQ(d->velocity.x, 0);
  EXPECT_FALSE(std::isnan(d->velocity.y));
}

TEST_F(Manager, ScenerySitsOutOfCollisionsButIsFoundNearest) {
  EXPECT_EQ(findnearest(0, 0), nullptr);
  Scenery* base = new Scenery;
  base->position = Point{100, 100};
  addobject(base);
  removedeads();
  nearobjects.push_back(base);
  Body* a = place(100, 100);
  a->velocity = Point{10, 10};
  collidedetect();
  EXPECT_TRUE(a->contacts.empty());
  EXPECT_EQ(a->velocity.x, 10);
  EXPECT_EQ(findnearest(90, 90), base);  // a tie: the earlier wins
  Body* b = place(3000, 3000);
  EXPECT_EQ(findnearest(2000, 2000), b);
}

TEST_F(Manager, SaveReplacesTheFileOnlyWhenEverythingWasWritten) {
  std::string dir = maketempdir(), path = dir + "/objects.txt";
  writefile(path, "S 1 1\n");
  place(10, 10);  // writes nothing, like a shot
  saveobjects(path.c_str());
  EXPECT_EQ(readfile(path), "");
  writefile(path, "S 1 1\n");
  addobject(new FailingWriter);
  removedeads();
  EXPECT_THROW(saveobjects(path.c_str()), const char*);
  EXPECT_EQ(readfile(path), "S 1 1\n");
  EXPECT_NE(access((path + ".tmp").c_str(), F_OK), 0);  // no leftovers
  EXPECT_THROW(saveobjects((dir + "/missing/objects.txt").c_str()), const char*);
  if (geteuid() != 0) {
    chmod(dir.c_str(), 0555);
    EXPECT_THROW(saveobjects(path.c_str()), const char*);
    chmod(dir.c_str(), 0755);
    EXPECT_EQ(readfile(path), "S 1 1\n");
  }
}
