#include "map.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>

#include "common.h"
#include "data.h"
#include "errors.h"
#include "gamedata.h"
#include "randomness.h"
#include "support/world_support.h"

namespace {

// What `read` threw for `path`: the message, " | " and the fault its detail names for `path`; or "".
std::string fault(void (*read)(const char*), const std::string& path) {
  try {
    read(path.c_str());
  } catch (const char* message) {
    EXPECT_EQ(errordetail(message).file, path) << message;
    return std::string(message) + " | " + errordetail(message).what;
  }
  return "";
}

// What reading `text` with `read` threw, after the objects reader's trace.
std::string readtext(const std::string& text, void (*read)(const char*)) {
  static const std::string path = maketempdir() + "/level.txt";
  writefile(path, text);
  testing::internal::CaptureStdout();
  const std::string thrown = fault(read, path);
  return testing::internal::GetCapturedStdout() + thrown;
}

Map loaded;  // the map of the last loadmap
void readmap(const char* path) {
  loaded = Map();
  loaded.load(path);
}
std::string loadmap(const std::string& text) { return readtext(text, readmap); }
std::string readobjects(const std::string& text) { return readtext(text, InitObjects); }

}  // namespace

TEST(Map, TwentyPointsLoadAndTwentyOneFailBeforeAnyCoordinate) {
  std::string twenty = "1 20";
  for (int i = 0; i < 20; i++) twenty += " " + std::to_string(i) + " 7";
  EXPECT_EQ(loadmap(twenty), "");
  EXPECT_EQ(loaded.getpolygons().at(0).points.size(), 20u);
  // Reading a coordinate would fail too.
  EXPECT_EQ(loadmap("2 3 1 1 2 2 3 3 21"), "Too many points | polygon 2 has 21 points, at most 20");
}

TEST(Map, FractionsLoadUnchangedWhateverTheLayout) {
  for (const char* text : {"2 0 3 600 150.5 900 150 -5 3000", "2\n\n0\n3\n\t600\n150.5\n900 150 -5\n3000\n"}) {
    ASSERT_EQ(loadmap(text), "");
    std::vector<float> read;
    for (const Point& p : loaded.getpolygons().at(1).points) read.insert(read.end(), {p.x, p.y});
    EXPECT_EQ(read, (std::vector<float>{600, 150.5f, 900, 150, -5, 3000})) << text;
  }
}

TEST(Map, BadMapsAreRejectedNamingThePolygonAndWhatStoodThere) {
  const std::string fail = "Failed to load map | ", nan = "\" is not a number the game can use";
  const std::pair<const char*, std::string> rows[] = {
      {"", "polygon count: the file ends early"},
      {"abc", "polygon count: \"abc" + nan},
      {"-1", "polygon count: -1 is negative"},
      {"2000000000", "polygon 1: point count: the file ends early"},  // no allocation for the count
      {"1 -3", "polygon 1: point count: -3 is negative"},
      {"2 3 1 1 2 2 3 3", "polygon 2: point count: the file ends early"},
      {"1 4 1 1 2", "polygon 1, point 2: y: the file ends early"},
      {"1 3 1 yyyyyyyyyyyyyyyyyyyy 2 2", "polygon 1, point 1: y: \"yyyyyyyyyyyyyyyyyyyy" + nan},  // shown up to 20
      {"1 3 1 yyyyyyyyyyyyyyyyyyyyz 2 2", "polygon 1, point 1: y: \"yyyyyyyyyyyyyyyyyyyy..." + nan},
      {"1 3 1 1 2 1e39 3 3", "polygon 1, point 2: y: \"1e39" + nan},
      {"1 3 nan 1 2 2 3 3", "polygon 1, point 1: x: \"nan" + nan}};
  for (const auto& [text, fault] : rows) EXPECT_EQ(loadmap(text), fail + fault) << text;
  EXPECT_EQ(fault(readmap, "levels/level7.txt"), fail + "cannot open");
  EXPECT_TRUE(errordetail("Problem creating bitmaps").file.empty()) << "a message thrown without a detail";
}

TEST(Map, RimGreyDependsOnEdgeDirection) {
  initallegro();
  BITMAP* bmp = create_bitmap(300, 300);
  // x1, y1, x2, y2 of an edge through (150, 150), and the grey of its rim there
  int cases[][5] = {{50, 150, 250, 150, 38}, {250, 150, 50, 150, 217}, {150, 250, 150, 50, 38},
                    {150, 50, 150, 250, 217}, {250, 50, 50, 250, 254}, {50, 250, 250, 50, 1},
                    {50, 50, 250, 250, 128}};
  for (auto& c : cases) {
    clear_to_color(bmp, makecol(255, 0, 255));
    LitLine(bmp, c[0], c[1], c[2], c[3]);
    EXPECT_EQ(getpixel(bmp, 150, 150), makecol(c[4], c[4], c[4])) << c[4];
  }
  // The widest of the rim's bands reaches six pixels either side of the edge.
  clear_to_color(bmp, makecol(255, 0, 255));
  LitLine(bmp, 50, 150, 250, 150);
  for (int y : {143, 144, 156, 157}) EXPECT_EQ(getpixel(bmp, 150, y) == makecol(38, 38, 38), y > 143 && y < 157) << y;
  destroy_bitmap(bmp);
}

namespace {

// The cave as Allegro draws it from the corners: translucent rims, then the fill, over grey rock.
struct AllegroCave {
  BITMAP* picture;
  BITMAP* fill;
  AllegroCave(int w, int h, std::vector<int> c) {
    picture = create_bitmap(w, h);
    fill = create_bitmap_ex(8, w, h);
    clear_to_color(picture, makecol(90, 90, 90));
    clear_to_color(fill, 1);
    int n = static_cast<int>(c.size() / 2);
    drawing_mode(DRAW_MODE_TRANS, nullptr, 0, 0);
    set_trans_blender(0, 0, 0, 40);
    for (int i = 0; i < n; i++) {
      int j = (i + 1) % n;
      LitLine(picture, c[2 * i], c[2 * i + 1], c[2 * j], c[2 * j + 1]);
    }
    drawing_mode(DRAW_MODE_SOLID, nullptr, 0, 0);
    polygon(picture, n, c.data(), makecol(0, 0, 0));
    polygon(fill, n, c.data(), 0);
  }
  ~AllegroCave() { destroy_bitmap(picture); destroy_bitmap(fill); }
};

int differing(BITMAP* a, BITMAP* b) {
  int n = 0;
  for (int y = 0; y < a->h; y++)
    for (int x = 0; x < a->w; x++) n += getpixel(a, x, y) != getpixel(b, x, y);
  return n;
}

}  // namespace

// The cave is open and black exactly where its polygons enclose area. Corners beyond Allegro's
// reach (8191, edges 8191 across, level edges 4095) are clipped along their edges, so only a few
// pixels of the fill differ; corners beyond any int must not overflow (the sanitizer checks).
TEST(Map, FarCornersLeaveThePictureAsTheCaveTheyMake) {
  struct Row { const char* map; std::vector<int> drawnas; bool fillonly = false; } rows[] = {
      // A zero-length edge; polygons of one and two points enclose nothing.
      {"4 5 50 50 50 50 150 50 150 150 50 150 0 1 180 180 2 20 20 180 20", {50, 50, 150, 50, 150, 150, 50, 150}},
      {"1 3 100 100 6000 300 200 400", {100, 100, 6000, 300, 200, 400}},
      {"1 3 300 200 20300 -19800 20300 20200", {300, 200, 5300, -4800, 5300, 5200}},
      {"2 3 -3e38 100 3e38 100 100 3e38  3 -1e12 -1e12 -5e9 -5 -5 -5e9", {-2000, 100, 2000, 100, 2000, 2000, -2000, 2000}},
      {"1 3 16400 100 16600 100 16500 300", {1000, 100, 1200, 100, 1100, 300}},  // small, but beyond Allegro
      {"1 3 8191 100 300 400 200 200", {8191, 100, 300, 400, 200, 200}},
      {"1 3 8192 100 300 400 200 200", {1151, 368, 300, 400, 200, 200, 1151, 188}, true},
      {"1 3 -4000 0 4191 470 300 470", {-4000, 0, 4191, 470, 300, 470}},
      {"1 3 -4000 0 4192 470 300 470", {-512, 200, 1151, 296, 1151, 470, 300, 470, -512, 381}, true},
      {"1 3 -2000 100 2095 100 300 400", {-2000, 100, 2095, 100, 300, 400}},
      {"1 3 -2000 100 2096 100 300 400", {-512, 100, 1151, 100, 1151, 258, 300, 400, -512, 294}, true}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.map);
    makeworld(640, 480);
    clear_to_color(background, makecol(90, 90, 90));
    ASSERT_EQ(loadmap(row.map), "");
    loaded.drawcave();
    AllegroCave want(640, 480, row.drawnas);
    EXPECT_EQ(differing(collisionmap, want.fill), 0);
    if (!row.fillonly) {
      EXPECT_EQ(differing(background, want.picture), 0);
    }
  }
}

// Read in file order whatever the layout, saved and read again.
TEST(Objects, SavedObjectsReadBackAsTheSameRecordsInWholePixels) {
  TestWorld world(1400, 1000);
  const std::string path = maketempdir() + "/saved.txt", Trace = "Object type: S\nObject type: T\nObject type: E\nObject type: T\n";
  ASSERT_EQ(readobjects("S 320.5 200\nT 5 320 230\n  E 2\n1200 900\nT 0 1300 -0.5"), Trace);
  newobjects[0]->position = Point{100.9f, -0.5f};
  removedeads();
  saveobjects(path.c_str());
  initmanager();
  ASSERT_EQ(readobjects(readfile(path)), Trace);
  removedeads();
  saveobjects(path.c_str());
  EXPECT_EQ(readfile(path), "S 100 0\nT 5 320 230\nE 2 1200 900\nT 0 1300 0\n");
}

TEST(Objects, BadRecordsAreRejectedNamingTheRecordAndNeverRegistered) {
  TestWorld world(1400, 1000);
  const std::string bad = "Bad record in objects file | record ", enemy = "Unknown enemy type | record ";
  const std::string stat = "Unable to get bitmap in StaticObject | record ", S = "Object type: S\n";
  const std::pair<const char*, std::string> rows[] = {
      {"", ""}, {" \n\t\n", ""},  // empty files make nothing
      {"s 1 2", "Object type: s\nUnknown object type | record 1 (s): records begin with S, T or E"},
      {"S 1", S + bad + "1 (S): y: the file ends early"},
      {"S 1 y", S + bad + "1 (S): y: \"y\" is not a number the game can use"},
      {"T 1 5", "Object type: T\n" + bad + "1 (T): y: the file ends early"},
      {"E x 1 2", "Object type: E\n" + bad + "1 (E): type number: \"x\" is not a number the game can use"},
      {"E 7 1 2", "Object type: E\n" + enemy + "1 (E): wibblet type 7 is none of 1 to 4"},
      {"E 0 1 2", "Object type: E\n" + enemy + "1 (E): wibblet type 0 is none of 1 to 4"},
      {"T 6 1 2", "Object type: T\n" + stat + "1 (T): base or tank type 6 is none of 0 to 5"},
      {"T -1 1 2", "Object type: T\n" + stat + "1 (T): base or tank type -1 is none of 0 to 5"}};
  for (const auto& [text, fault] : rows) {
    EXPECT_EQ(readobjects(text), fault);
    EXPECT_TRUE(newobjects.empty()) << text;
    EXPECT_EQ(playership, nullptr) << text;
  }
  EXPECT_EQ(readobjects("S 1 2 S 3 4 T 1 5"), S + S + "Object type: T\n" + bad + "3 (T): y: the file ends early");
  EXPECT_EQ(newobjects.size(), 2u) << "the records before the bad one";
  EXPECT_EQ(fault(InitObjects, "/nonexistent/objects.txt"), "Failed to open objects file | cannot open");
}

// The last ship is the player's and the camera's.
TEST(Objects, LevelSetUpReadsTheMapBeforeTheObjects) {
  TestWorld world(1400, 1000);
  InDirectory here(maketempdir());
  std::filesystem::create_directory("levels");
  writefile("levels/level2objects.txt", "S 320 200\n");
  EXPECT_EQ(thrown([] { initlevel(2); }), "Failed to load map");
  EXPECT_EQ(playership, nullptr);  // the objects were not read first
  writefile("levels/level2.txt", "1 3 100 100 500 100 300 400");
  writefile("levels/level2objects.txt", "S 100 100\nS 320 200\nT 1 300 300\n");
  testing::internal::CaptureStdout();
  initlevel(2);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Object type: S\nObject type: S\nObject type: T\n");
  ASSERT_EQ(newobjects.size(), 3u);
  EXPECT_EQ(std::pair(playership, trackingobject), std::pair(newobjects[1], newobjects[1]));
  EXPECT_EQ(getpixel(collisionmap, 300, 200), 0);  // the cave
  EXPECT_EQ(getpixel(collisionmap, 300, 290), 8 + TankHydrogen);  // and the tank stamped on it
}

namespace {

// `dirt` mirrored as ApplyDirt's variant `i`: bit 0 left to right, bit 1 top to bottom.
BITMAP* mirrored(BITMAP* dirt, int i) {
  BITMAP* m = create_bitmap_ex(32, dirt->w, dirt->h);
  for (int y = 0; y < dirt->h; y++)
    for (int x = 0; x < dirt->w; x++) putpixel(m, i & 1 ? dirt->w - 1 - x : x, i & 2 ? dirt->h - 1 - y : y, getpixel(dirt, x, y));
  return m;
}

// The dirt as Allegro's draw_trans_sprite stamps it, at the places the random sequence gives.
void allegrodirt(BITMAP* onto, BITMAP* dirt, int qty) {
  BITMAP* variants[4] = {mirrored(dirt, 0), mirrored(dirt, 1), mirrored(dirt, 2), mirrored(dirt, 3)};
  set_alpha_blender();
  for (int n = 0; n < qty; n++) {
    int x = randombetween(0, onto->w - 1), y = randombetween(0, onto->h - 1), i = randombetween(0, 3);
    draw_trans_sprite(onto, variants[i], x - 128, y - 128);
  }
  for (BITMAP* v : variants) destroy_bitmap(v);
}

}  // namespace

// Every alpha, the mask colour, stamps cut by the edges, and at 32 bits set top bytes.
TEST(Map, DirtBlendsAsAllegroBlendsItAtBothDepths) {
  initallegro();
  BITMAP* dirt = create_bitmap_ex(32, 128, 128);
  srand(5);
  for (int i = 0; i < 128 * 128; i++)  // every alpha 64 times, and the mask colour
    putpixel(dirt, i % 128, i / 128, i % 97 == 0 ? MASK_COLOR_32 : makeacol32(rand() % 256, rand() % 256, rand() % 256, i % 256));
  for (int depth : {16, 32, 33}) {  // 33: 32 bits, some top bytes set
    SCOPED_TRACE(depth);
    set_color_depth(std::min(depth, 32));
    makeworld(700, 500);
    for (int i = 0; i < 700 * 500; i++) putpixel(background, i % 700, i / 700, makecol(rand() % 256, rand() % 256, rand() % 256));
    for (int y = 0; depth == 33 && y < 500; y += 3) reinterpret_cast<uint32_t*>(background->line[y])[y] |= 0x5A000000;
    BITMAP* want = copyof(background);
    srand(9);
    allegrodirt(want, dirt, 60);
    srand(9);
    ApplyDirt(dirt, 60);
    EXPECT_TRUE(samebitmap(background, want));
    destroy_bitmap(want);
  }
  set_color_depth(32);
  destroy_bitmap(dirt);
}

// Later set-ups copy the texture and leave the random sequence where drawing it would have.
TEST(Map, RockTextureIsDrawnOnceAndTheRandomSequenceRunsOnAsIfDrawnAgain) {
  initallegro();
  const std::string map = maketempdir() + "/map.txt";
  writefile(map, "1 4 100 100 900 100 900 500 100 500");
  makeworld(640, 480);
  forgetlevelrock();
  srand(7);
  initcave(map.c_str());
  const int next = rand();
  ASSERT_EQ(background->w, LevelWidth);
  BITMAP* want = create_bitmap(LevelWidth, LevelHeight);
  for (int x = 0; x < LevelWidth; x += 128)
    for (int y = 0; y < LevelHeight; y += 128) blit(databitmap(DataRock), want, 0, 0, x, y, 256, 256);
  srand(7);
  allegrodirt(want, databitmap(DataDirt1), 800);
  allegrodirt(want, databitmap(DataDirt2), 400);
  allegrodirt(want, databitmap(DataDirt3), 400);
  EXPECT_TRUE(samebitmap(levelrock(), want));
  destroy_bitmap(want);

  BITMAP *picture = copyof(background), *kept = background;
  srand(7);
  initcave(map.c_str());
  EXPECT_EQ(rand(), next);
  EXPECT_TRUE(samebitmap(background, picture));
  EXPECT_EQ(background, kept);
  destroy_bitmap(picture);
  initmanager();
}
