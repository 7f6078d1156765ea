#include "manager.h"

#include <gtest/gtest.h>
#include <allegro/internal/aintern.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <random>
#include <string_view>
#include <thread>
#include <vector>

#include "common.h"
#include "data.h"
#include "enemies.h"
#include "errors.h"
#include "gamedata.h"
#include "notices.h"
#include "support/ui_support.h"
#include "support/world_support.h"

namespace {

using Contacts = std::vector<std::pair<CollidesWithScenery*, float>>;

// A disc that counts what the manager does to it; it draws a 10x10 square round its position.
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
  // Eight squares round the view's centre (320, 240); the four near it are returned.
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

TEST_F(Manager, DrawAllShowsWhatIsNearTheViewAndRestoresEverythingItPainted) {
  screenoffsetx = screenoffsety = 0;
  for (int y = 0; y < backgroundHeight; y += 7)
    hline(background, 0, y, backgroundWidth, makecol(0, 90, 200));
  refreshvscreen();
  std::vector<GameObject*> in = placeroundthecentre();
  playerinfo.levelcomplete = true;  // the banner is shown and restored too
  drawall();
  EXPECT_EQ(nearobjects, in);  // and only these collide
  EXPECT_EQ(getpixel(screen, 100, 100), makecol(255, 255, 0));
  int white = 0;
  for (int y = 8; y < 16; y++)
    for (int x = 260; x < 380; x++) white += getpixel(screen, x, y) == makecol(255, 255, 255);
  EXPECT_GT(white, 50) << "\"Level complete!\" on the screen";
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

TEST_F(Manager, TheMapIsToldOfTheShipBasesTanksAndLiveWibbletsJoinedOrWaiting) {
  Ship* ship = place(new Ship());
  ship->position = {100.7f, 200.2f};
  ship->angle = 0.5f;
  StaticObject* exit = place(new StaticObject(PlayerBaseExit));
  exit->position = {300, 400};
  place(new Enemy(GreenWibblet))->position = {50, 60};
  place(20, 20);  // not a thing the map shows
  place(new Enemy(BlueStaticWibblet))->dead = true;
  StaticObject* tank = new StaticObject(TankOxygen);
  tank->position = {500, 401};
  addobject(tank);  // waits in newobjects, as everything does in a level's first second
  std::vector<std::tuple<int, int, int, float, int, BITMAP*>> got;
  for (const MapMark& m : mapmarks()) got.emplace_back(m.kind, m.x, m.y, m.angle, m.colour, m.sprite);
  const decltype(got) want = {{MapMark::Ship, 100, 200, 0.5f, 0, nullptr},
                              {MapMark::Exit, 300, 400, 0, 0, exit->sprite},
                              {MapMark::Wibblet, 50, 60, 0, enemycolour(GreenWibblet), databitmap(DataGreenWibblet)},
                              {MapMark::Base, 500, 401, 0, 0, tank->sprite}};
  EXPECT_EQ(got, want);
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

// Drawn every frame of a level's real loop, it ends Allegro's seconds itself and holds P and Esc
// at chosen frames, so no clock decides what happens:
//   17: a second of 19 frames ends, but a frame is at most 1/20 s (the game slows down instead)
//   47: frames 19 to 48 make 30: 1/30 s each;  52-55: P held: 53 to 60 paused, a second ends at 56
//   60: P: play resumes at 61 at 1/30 s, timing a new second;  84: 25 frames: 1/25 s each
//   90: P: 91 to 94 paused;  94: Esc: play resumes at 95 and runs out the level's 4 s
class PauseScript : public Body {
 public:
  int frame = 0;
  std::vector<std::pair<int, float>> ticked;  // frame, game seconds
  int timerrestarts = 0;

  PauseScript() : Body(100, 100) {}
  void tick(float q) override { ticked.push_back({frame, q}); }
  void draw() override {
    if (frame == 61 || frame == 95)  // is Allegro's timer set to end seconds again?
      for (int i = 0; i < MAX_TIMERS; i++) timerrestarts += _timer_queue[i].proc == timerfunc;
    if (frame == 0 || frame == 61 || frame == 95) remove_int(timerfunc);
    if (frame == 17 || frame == 47 || frame == 56 || frame == 84) timerfunc();
    key[KEY_P] = (frame >= 52 && frame <= 55) || frame == 60 || frame == 90;
    key[KEY_ESC] = frame >= 94;
    frame++;
  }
  long ticksin(int first, int last) const {
    return std::count_if(ticked.begin(), ticked.end(), [&](auto t) { return t.first >= first && t.first <= last; });
  }
};

// The frame loop needs Allegro's timer, which comes only with a display.
class ManagerLoop : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* why = startdialogs()) GTEST_SKIP() << why;
    makeworld(640, 480);
    initmanager();
    screenoffsetx = screenoffsety = 0;  // the window on this world, whatever ran before
    releaseallkeys();
  }
  void TearDown() override {
    releaseallkeys();
    initmanager();
    if (display) destroy_bitmap(screen), screen = display;
    stopdialogs();
  }
  // Frames go to a memory bitmap, read back as drawn.
  void readback() { display = screen, screen = create_bitmap(ScreenWidth, ScreenHeight); }
  BITMAP* display = nullptr;
};

}  // namespace

// Paused time is no game time: nothing ticks, the second under way is dropped, and play goes
// on at the old pace, timing a new second from the resume. Esc while paused ends the level.
TEST_F(ManagerLoop, PKeyPausesTheLevelWithoutTicksAndResumesWithoutAJumpInGameTime) {
  PauseScript* script = new PauseScript();
  addobject(script);
  removedeads();  // drawn from the first frame on, before anything ticks
  playership = script;  // a level with its ship runs until Esc
  mainloop();
  // No game time before a second has been timed, none while paused, and 4 s at 1/25 s to end.
  const std::vector<long> ticks = {script->ticksin(0, 17), script->ticksin(18, 52), script->ticksin(53, 60),
                                   script->ticksin(61, 90), script->ticksin(91, 94)};
  EXPECT_EQ(ticks, (std::vector<long>{0, 35, 0, 30, 0}));
  EXPECT_NEAR(script->ticksin(95, 1000), 100, 1);
  for (auto [frame, q] : script->ticked)
    EXPECT_EQ(q, frame < 48 ? 1.0f / 20 : frame < 85 ? 1.0f / 30 : 1.0f / 25) << "frame " << frame;
  EXPECT_EQ(script->timerrestarts, 2);
}

namespace {

// Presses M in a level's real loop and lets go as the map opens; a thread watching the screen
// then ends the timer's second under the map and presses M again.
class MapScript : public Body {
 public:
  enum Stage { Playing, Asked, Open, Closing, Resumed };
  std::atomic<int> stage{Playing};
  float openedquantum = 0, resumedquantum = 0;
  bool tickedunder = false;

  MapScript() : Body(100, 100) {}
  void draw() override {
    if (stage == Playing && ticks >= 3) openedquantum = quantum, key[KEY_M] = 1, stage = Asked;
    else if (stage == Asked) key[KEY_M] = 0, stage = Open;
  }
  void tick(float q) override {
    Body::tick(q);
    tickedunder = tickedunder || stage == Open;
    if (stage == Closing) resumedquantum = q, key[KEY_M] = 0, key[KEY_ESC] = 1, stage = Resumed;  // Esc: the level runs out
  }
};

template <class F>
bool waitfor(F done) {
  for (int i = 0; i < 20000 && !done(); i++) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return done();
}

// Two more frames showed the map (each paints over a marked pixel).
bool mapshowntwice() {
  const int mark = makecol(255, 0, 255);
  for (int frame = 0; frame < 2; frame++) {
    putpixel(screen, 0, 0, mark);
    if (!waitfor([mark] { return getpixel(screen, 0, 0) != mark; })) return false;
  }
  return true;
}

}  // namespace

TEST_F(ManagerLoop, MKeyShowsTheMapWithoutTicksAndResumesWithoutAJumpInGameTime) {
  readback();
  MapScript* script = new MapScript();
  addobject(script);
  playership = script;
  bool gaveup = false;
  std::thread player([&] {
    if (waitfor([script] { return script->stage == MapScript::Open; }) && mapshowntwice()) {
      timerfunc();  // a second of frames ends while the map shows
      script->stage = MapScript::Closing, key[KEY_M] = 1;
      if (waitfor([script] { return script->stage == MapScript::Resumed; })) return;
    }
    gaveup = true;
    key[KEY_ESC] = 1;
  });
  mainloop();
  player.join();
  EXPECT_FALSE(gaveup);
  EXPECT_FALSE(script->tickedunder);
  // The timer's tick under the map is no game time: play goes on at the old pace.
  EXPECT_GT(script->openedquantum, 0);
  EXPECT_EQ(script->resumedquantum, script->openedquantum);
}

namespace {

// The last frame shows `text` over the white cave: its band is dark just inside its left end only.
bool shows(const char* text) {
  FONT* f = static_cast<FONT*>(datafile[DataFont].dat);
  const WordsBox box = wordsbox(f, text, ScreenWidth / 2, StopWordsTop);
  const int inside = getpixel(screen, box.x + 2, box.y + 2), outside = getpixel(screen, box.x - 3, box.y + 2);
  return getr(inside) < 128 && getr(outside) > 200;
}

// A ship with no hydrogen; each set of words seen makes the next stop: fuel, Esc, break-up.
class WordsScript : public Body {
 public:
  Ship* ship;
  float time = 0, fuelwordsat = -1;  // game seconds ticked; when the fuel words showed
  int stage = 0;                     // 4: every set of words seen

  explicit WordsScript(Ship* ship) : Body(20, 300), ship(ship) {}
  void tick(float q) override { time += q; }
  void draw() override {
    const char* fuel = "Out of fuel: press Esc to leave the level";
    if (stage == 0 && shows(fuel)) fuelwordsat = time, ship->hydrogen = 1, stage++;
    else if (stage == 1 && !shows(fuel)) key[KEY_ESC] = 1, stage++;
    else if (stage == 2 && shows("Leaving the level")) key[KEY_ESC] = 0, ship->dead = true, stage++;
    else if (stage == 3 && shows("Ship lost")) stage++;
  }
};

}  // namespace

TEST_F(ManagerLoop, WordsTellOfAnEmptyStoreAfterTwoSecondsOfItThenOfLeavingAndOfALostShip) {
  readback();
  clear_to_color(background, makecol(255, 255, 255));
  playerinfo.init();
  Ship* ship = new Ship();
  ship->position = {320, ScreenHeight - ShipRadius - 1.0f};  // resting on the picture's bottom edge
  ship->hydrogen = 0;
  addobject(ship);
  trackobject(ship);
  WordsScript* script = new WordsScript(ship);
  addobject(script);
  mainloop();
  EXPECT_EQ(script->stage, 4);
  EXPECT_GE(script->fuelwordsat, OutOfFuelDelay);
  EXPECT_LT(script->fuelwordsat, OutOfFuelDelay + 0.2f);  // a few frames late at most
  drawall();  // outside a level's loop: no words
  EXPECT_FALSE(shows("Ship lost"));
}

namespace {

// A frame with every object near the view and every particle drawn, shown or not: the reference.
void drawalleverythingnear() {
  nearobjects.clear();
  for (GameObject* obj : gameobjects)
    if (std::fabs(viewportcentre.x - obj->position.x) < ScreenWidth &&
        std::fabs(viewportcentre.y - obj->position.y) < ScreenHeight) {
      obj->draw();
      nearobjects.push_back(obj);
    }
  for (Particle* p : particles) p->draw();
  showframe();
  restorerects();
}

// Runs `frames` frames drawn by `draw`, steered by `steer`: a hash of each screen, then the
// next random number and the counts of objects and particles left.
template <class Steer>
std::vector<uint64_t> film(int frames, void (*draw)(), Steer steer) {
  std::vector<uint64_t> f;
  for (int i = 0; i < frames; i++) {
    steer(i);
    tickall(0.01f);
    track();
    draw();
    f.push_back(0);
    for (int y = 0, bytes = ScreenWidth * bitmap_color_depth(screen) / 8; y < ScreenHeight; y++)
      f.back() = f.back() * 1099511628211ull ^ std::hash<std::string_view>()({reinterpret_cast<char*>(screen->line[y]), size_t(bytes)});
  }
  releaseallkeys();
  f.insert(f.end(), {uint64_t(rand()), gameobjects.size(), particles.size()});
  return f;
}

// Level `level` from its start, the ship's keys changed every quarter second from a fixed script.
std::vector<uint64_t> flightinlevel(int level, void (*draw)()) {
  srand(100 + level);
  playerinfo.init();
  testing::internal::CaptureStdout();
  initlevel(level);
  testing::internal::GetCapturedStdout();
  refreshvscreen();
  viewportcentre = trackingobject->position;
  std::mt19937 script(level);
  return film(300, draw, [&](int frame) {
    for (int k : {KEY_LEFT, KEY_RIGHT, KEY_UP, KEY_UP, KEY_LCONTROL}) key[k] = frame % 25 ? key[k] : script() % 100 < 40;
  });
}

// A firing ship carried through a field of wibblets, tanks, sparks and blasts, the camera after it.
std::vector<uint64_t> flightthroughacrowd(void (*draw)()) {
  TestWorld world(2560, 2560);
  Ship* ship = new Ship();
  trackobject(ship);
  for (int i = 0; i < 240; i++) {
    GameObject* obj = i % 6 == 0 ? new StaticObject(static_cast<StaticType>(i % 5)) : i % 6 == 1 ? new Explosion()
                      : i % 6 == 2 ? makeparticle(Point{0, 0}, 30) : static_cast<GameObject*>(new Enemy(static_cast<EnemyType>(1 + i % 4)));
    obj->position = Point{float(100 + (i % 40) * 60), float(900 + (i / 40) * 150 + (i % 3) * 20)};
    addobject(obj);
  }
  addobject(ship);
  removedeads();
  viewportcentre = Point{200, 1300};
  key[KEY_LCONTROL] = 1;
  return film(300, draw, [&](int frame) {
    if (!playership) return;
    ship->position = Point{200 + 7.5f * frame, 1300};
    ship->velocity = Point{750, 0};
  });
}

}  // namespace

TEST_F(Manager, FramesShowWhatDrawingEverythingNearShowedInEveryLevelAndACrowd) {
  InDirectory here(rundir());
  for (int level = 1; level <= NumLevels; level++)
    EXPECT_TRUE(flightinlevel(level, drawall) == flightinlevel(level, drawalleverythingnear)) << "level " << level;
  EXPECT_TRUE(flightthroughacrowd(drawall) == flightthroughacrowd(drawalleverythingnear)) << "the crowd";
}
