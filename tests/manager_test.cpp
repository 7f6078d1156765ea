#include "manager.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/ui_support.h"
#include "support/world_support.h"

namespace {

using Contacts = std::vector<std::pair<CollidesWithScenery*, float>>;

// A disc that counts what the manager does to it. Its draw() fills a
// 10x10 square around its position and registers it.
class Body : public CollidesWithScenery {
 public:
  int ticks = 0;
  bool failsave = false;  // its record breaks off half way, like on a full disk
  bool gone = false, *deleted = &gone;
  Contacts contacts;

  Body(float x, float y, float r = 10, float m = 1) { position = {x, y}; radius = r; mass = m; }
  ~Body() override { *deleted = true; }
  void draw() override {
    int x = static_cast<int>(position.x) - 5, y = static_cast<int>(position.y) - 5;
    rectfill(vscreen, x, y, x + 9, y + 9, makecol(255, 255, 0));
    addrect(x, y, 10, 10);
  }
  void tick(float) override { ticks++; }
  void save(std::ostream& out) override {
    if (failsave) (out << "S 1 2").setstate(std::ios::badbit);
  }
  void collidewithother(CollidesWithScenery* o, float s) override { contacts.push_back({o, s}); }
};

class Manager : public ::testing::Test {
 protected:
  void SetUp() override {
    makeworld(2560, 2560);
    initmanager();
    static BITMAP* screenbmp = create_bitmap(640, 480);
    screen = screenbmp;
  }
  void TearDown() override { initmanager(); screen = nullptr; playerinfo.levelcomplete = false; }
  // Adds an object and lets it join gameobjects and nearobjects.
  template <class T>
  T* place(T* obj) {
    addobject(obj);
    removedeads();
    nearobjects.push_back(obj);
    return obj;
  }
  Body* place(float x, float y, float r = 10, float m = 1) { return place(new Body(x, y, r, m)); }
  // Eight squares round the view's centre (320, 240); those less than 640
  // and 480 from it are near, and returned. Some run off the picture.
  std::vector<GameObject*> placeroundthecentre() {
    std::vector<GameObject*> in = {place(100, 100), place(959, 240), place(-319, 719), place(320, -239)};
    for (Point p : {Point{960, 240}, Point{320, -240}, Point{-320, 240}, Point{320, 720}}) place(p.x, p.y);
    return in;
  }
};

}  // namespace

TEST_F(Manager, DeadObjectStaysOneStepAndIsDeletedTheNext) {
  bool deleted = false;
  Body* b = new Body(0, 0);
  b->deleted = &deleted;
  addobject(b);
  tickall(0.01f);
  EXPECT_EQ(b->ticks, 1);
  b->dead = true;
  playership = b;
  tickall(0.01f);
  EXPECT_TRUE(gameobjects.empty());
  EXPECT_EQ(deadobjects.size(), 1u);
  EXPECT_FALSE(deleted);  // others may still hold it during this step
  EXPECT_EQ(playership, nullptr);
  EXPECT_EQ(b->ticks, 1);
  tickall(0.01f);
  EXPECT_TRUE(deleted);
  EXPECT_TRUE(deadobjects.empty());
}

TEST_F(Manager, CameraEasesAfterItsObjectWhileItLivesKeepingTheScreenOnThePicture) {
  Body* b = place(0, 0);
  trackobject(b);
  // object x, y; centre x, y before; centre x after; screen offsets
  float cases[][7] = {{1007, 1000, 1000, 1000, 1000, 680, 760},  // seven away: at rest
                      {1100, 1000, 1000, 1000, 1010, 690, 760},  // a tenth of the way
                      {60, 50, 100, 100, 96, 0, 0},  // the centre follows, the window stops
                      {2540, 2550, 2500, 2500, 2504, 1920, 2080}};
  for (auto& c : cases) {
    b->position = Point{c[0], c[1]};
    viewportcentre = Point{c[2], c[3]};
    track();
    EXPECT_FLOAT_EQ(viewportcentre.x, c[4]) << c[0];
    EXPECT_EQ(screenoffsetx, c[5]) << c[0];
    EXPECT_EQ(screenoffsety, c[6]) << c[0];
  }
  b->dead = true;
  track();
  EXPECT_EQ(trackingobject, nullptr) << "a dead object is deleted a step later";
}

TEST_F(Manager, DrawAllShowsAndCollidesOnlyWhatIsNearTheView) {
  screenoffsetx = screenoffsety = 0;
  std::vector<GameObject*> in = placeroundthecentre();
  drawall();
  EXPECT_EQ(nearobjects, in);
  EXPECT_EQ(getpixel(screen, 100, 100), makecol(255, 255, 0));
}

TEST_F(Manager, DrawAllRestoresEverythingItPainted) {
  for (int y = 0; y < backgroundHeight; y += 7)
    hline(background, 0, y, backgroundWidth, makecol(0, 90, 200));
  refreshvscreen();
  placeroundthecentre();
  playerinfo.levelcomplete = true;  // the banner is painted and restored too
  drawall();
  EXPECT_TRUE(dirtyrectangles.empty());
  int size = backgroundWidth * backgroundHeight * bitmap_color_depth(vscreen) / 8;
  EXPECT_EQ(memcmp(vscreen->dat, background->dat, size), 0);
}

TEST_F(Manager, ScreenDumpSavesTheScreenAsPcx) {
  clear_to_color(screen, makecol(255, 255, 0));
  InDirectory here(maketempdir());
  ScreenDump();
  BITMAP* saved = load_bitmap("dump.pcx", nullptr);
  ASSERT_NE(saved, nullptr);
  EXPECT_EQ(saved->w, 640);
  EXPECT_EQ(saved->h, 480);
  int depth = bitmap_color_depth(saved), px = getpixel(saved, 100, 100);  // may load at 24-bit
  EXPECT_EQ(makecol(getr_depth(depth, px), getg_depth(depth, px), getb_depth(depth, px)), makecol(255, 255, 0));
  destroy_bitmap(saved);
}

TEST_F(Manager, TouchingApproachingPairsExchangeMomentumByMassAndAreTold) {
  struct Pair {
    const char* what;
    float gap, r1, r2, m1, m2, v1, v2, want1, want2;
    bool told;  // both get collidewithother, with v2 - v1 as the strength
  } pairs[] = {{"equal masses swap", 30, 10, 20, 1, 1, 5, -7, -7, 5, 1},
               {"mass share", 10, 2, 10, 1000, 10000, 120, 0, 120 - 120 * 20000.0f / 11000,
                120 * 2000.0f / 11000, 1},
               {"overlap at rest", 5, 10, 10, 1, 1, 0, 0, 0, 0, 1},
               {"separating", 5, 10, 10, 1, 1, -1, 0, -1, 0, 0},
               {"coinciding centres", 0, 10, 10, 1, 1, 3, 0, 3, 0, 0}};
  for (const Pair& p : pairs) {
    SCOPED_TRACE(p.what);
    initmanager();
    Body* a = place(100, 100, p.r1, p.m1);
    Body* b = place(100 + p.gap, 100, p.r2, p.m2);
    place(new StaticObject(TankHydrogen))->position = Point{95, 100};  // scenery never collides
    a->velocity = Point{p.v1, 3};
    b->velocity = Point{p.v2, 1};
    collidedetect();
    EXPECT_FLOAT_EQ(a->velocity.x, p.want1);
    EXPECT_FLOAT_EQ(b->velocity.x, p.want2);
    EXPECT_EQ(a->velocity.y, 3);  // nor across the line; no NaN
    EXPECT_EQ(b->velocity.y, 1);
    EXPECT_EQ(a->contacts, (p.told ? Contacts{{b, p.v2 - p.v1}} : Contacts{}));
    EXPECT_EQ(b->contacts, (p.told ? Contacts{{a, p.v2 - p.v1}} : Contacts{}));
  }
}

TEST_F(Manager, FindNearestTakesTheEarlierOfATie) {
  EXPECT_EQ(findnearest(0, 0), nullptr);
  Body* a = place(100, 80);
  place(80, 100);
  Body* b = place(3000, 3000);
  EXPECT_EQ(findnearest(90, 90), a);
  EXPECT_EQ(findnearest(2000, 2000), b);
}

TEST_F(Manager, SaveReplacesTheFileOnlyWhenEverythingWasWritten) {
  std::string dir = maketempdir(), path = dir + "/objects.txt";
  writefile(path, "S 1 1\n");
  place(10, 10);  // writes nothing, like a shot
  saveobjects(path.c_str());
  EXPECT_EQ(readfile(path), "");
  writefile(path, "S 1 1\n");
  place(0, 0)->failsave = true;
  EXPECT_EQ(thrown([&] { saveobjects(path.c_str()); }), "Save error");
  EXPECT_EQ(readfile(path), "S 1 1\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1) << "a temporary file left behind";
  EXPECT_THROW(saveobjects((dir + "/missing/objects.txt").c_str()), const char*);
}

namespace {

// Plays a pause through a level's real frame loop from inside it: drawn
// every frame, paused or not, it presses and lets go of P there, so that no
// clock decides the order of events. Esc at the end lets the level run out.
class PauseScript : public Body {
 public:
  int draws = 0, pausedat = -1;  // draws so far; ticks when paused
  float pausedquantum = 0, resumedquantum = 0;
  bool tickedwhilepaused = false;

  PauseScript() : Body(100, 100) {}
  void tick(float q) override {
    Body::tick(q);
    tickedwhilepaused = tickedwhilepaused || (draws > pausedat && draws < pausedat + 30 && pausedat >= 0);
    if (pausedat >= 0 && draws >= pausedat + 30 && !resumedquantum) resumedquantum = q;
  }
  void draw() override {
    if (pausedat < 0 && ticks >= 3) pausedat = draws, pausedquantum = quantum;
    const int since = draws++ - pausedat;
    if (pausedat < 0) return;
    key[KEY_P] = since < 5 || (since >= 29 && since < 31);  // held: one pause; again: resumes
    key[KEY_ESC] = since >= 40;
  }
};

// The frame loop needs Allegro's timer, which comes only with a display.
class ManagerLoop : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* why = startdialogs()) GTEST_SKIP() << why;
    makeworld(640, 480);
    initmanager();
    releaseallkeys();
  }
  void TearDown() override {
    releaseallkeys();
    initmanager();
    stopdialogs();
  }
};

}  // namespace

TEST_F(ManagerLoop, PKeyPausesTheLevelWithoutTicksAndResumesWithoutAJumpInGameTime) {
  PauseScript* script = new PauseScript();
  addobject(script);
  playership = script;  // a level with its ship runs until Esc
  mainloop();
  EXPECT_FALSE(script->tickedwhilepaused);
  // Play goes on at once at the old pace: the paused time is no game time.
  EXPECT_GT(script->pausedquantum, 0);
  EXPECT_EQ(script->resumedquantum, script->pausedquantum);
}
