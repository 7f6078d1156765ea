#include "map.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <sstream>

#include "enemies.h"
#include "main.h"
#include "manager.h"
#include "support/testsupport.h"

namespace {

// Loads map text through a file; returns the error thrown, or "" on success.
std::string loadmap(const std::string& text, Map& map) {
  std::string path = maketempdir() + "/level.txt";
  writefile(path, text);
  try {
    map.load(path.c_str());
  } catch (const char* e) {
    return e;
  }
  return "";
}

std::string polygontext(int points) {
  std::ostringstream s;
  s << "1 " << points;
  for (int i = 0; i < points; i++) s << " " << i << " " << 2 * i;
  return s.str();
}

// Reads objects text; returns the error thrown, or "" on success.
std::string readobjects(const std::string& text) {
  std::string path = maketempdir() + "/objects.txt";
  writefile(path, text);
  try {
    InitObjects(path.c_str());
  } catch (const char* e) {
    return e;
  }
  return "";
}

bool allpixels(BITMAP* bmp, int value) {
  for (int y = 0; y < bmp->h; y++)
    for (int x = 0; x < bmp->w; x++)
      if (getpixel(bmp, x, y) != value) return false;
  return true;
}

}  // namespace

TEST(Map, TwentyPointsLoadAndTwentyOneFailBeforeAnyCoordinate) {
  Map map;
  EXPECT_EQ(loadmap(polygontext(20), map), "");
  ASSERT_EQ(map.getpolygons().size(), 1u);
  EXPECT_EQ(map.getpolygons()[0].points.size(), 20u);
  EXPECT_FLOAT_EQ(map.getpolygons()[0].points[19].y, 38.0f);
  Map other;
  // No coordinates follow: reading any would fail differently.
  EXPECT_STREQ(loadmap("1 21", other).c_str(), "Too many points");
}

TEST(Map, LayoutDoesNotMatterAndFractionsLoadUnchanged) {
  std::string numbers[] = {"2", "3", "600", "150.5", "900", "150", "750", "600",
                           "1", "-5", "3000"};
  std::string oneline, perline;
  for (const std::string& n : numbers) {
    oneline += n + " ";
    perline += n + "\n\t\n";
  }
  Map a, b;
  ASSERT_EQ(loadmap(oneline, a), "");
  ASSERT_EQ(loadmap(perline, b), "");
  ASSERT_EQ(a.getpolygons().size(), 2u);
  for (size_t i = 0; i < 2; i++)
    for (size_t j = 0; j < a.getpolygons()[i].points.size(); j++) {
      EXPECT_EQ(a.getpolygons()[i].points[j].x, b.getpolygons()[i].points[j].x);
      EXPECT_EQ(a.getpolygons()[i].points[j].y, b.getpolygons()[i].points[j].y);
    }
  EXPECT_EQ(a.getpolygons()[0].points[0].y, 150.5f);
  EXPECT_EQ(a.getpolygons()[1].points[0].x, -5.0f);
}

TEST(Map, TruncatedGarbledOrNegativeMapsAreRejected) {
  const char* bad[] = {"",           "2 3 1 1 2 2 3 3", "1 3 1 x 2 2 3 3", "abc",
                       "-1",         "1 -3",            "2000000000",      "1 4 1 1 2",
                       "1 3 1 1 2 1e39 3 3"};
  for (const char* text : bad) {
    Map map;
    EXPECT_EQ(loadmap(text, map), "Failed to load map") << text;
  }
  Map map;
  EXPECT_STREQ(loadmap("0", map).c_str(), "");
  try {
    map.load("/nonexistent/level1.txt");
    FAIL();
  } catch (const char* e) {
    EXPECT_STREQ(e, "Failed to load map");
  }
}

TEST(Map, LevelFileNamesFollowTheLevelNumber) {
  EXPECT_EQ(levelmapname(3), "levels/level3.txt");
  EXPECT_EQ(levelobjectsname(12), "levels/level12objects.txt");
}

TEST(Map, RectangleIsOpenAndBlackInsideAndRockOutside) {
  makeworld(200, 200);
  clear_to_color(background, makecol(255, 255, 255));
  Map map;
  ASSERT_EQ(loadmap("1 4 50 50 150 50 150 150 50 150", map), "");
  map.drawcave();
  EXPECT_EQ(getpixel(collisionmap, 100, 100), 0);
  EXPECT_EQ(getpixel(collisionmap, 50, 50), 0);
  EXPECT_EQ(getpixel(background, 100, 100), makecol(0, 0, 0));
  for (int p : {10, 45, 160, 190}) {
    EXPECT_EQ(getpixel(collisionmap, p, 100), 1) << p;
    EXPECT_EQ(getpixel(collisionmap, 100, p), 1) << p;
  }
  // Far from every edge the rock is untouched by rims.
  EXPECT_EQ(getpixel(background, 10, 10), makecol(255, 255, 255));
  EXPECT_NE(getpixel(background, 100, 46), makecol(255, 255, 255));  // rim
  Map none;
  ASSERT_EQ(loadmap("0", none), "");
  none.drawcave();
  EXPECT_TRUE(allpixels(collisionmap, 1));
}

TEST(Map, DegeneratePolygonsDrawNothingAndRepeatedPointsNoStrayRim) {
  makeworld(200, 200);
  Map map;
  ASSERT_EQ(loadmap("3 0  1 100 100  2 20 20 180 20", map), "");
  map.drawcave();
  EXPECT_TRUE(allpixels(collisionmap, 1));
  EXPECT_TRUE(allpixels(background, 0));
  clear_to_color(background, makecol(255, 255, 255));
  Map repeated;
  ASSERT_EQ(loadmap("1 5 50 50 50 50 150 50 150 150 50 150", repeated), "");
  repeated.drawcave();
  EXPECT_EQ(getpixel(collisionmap, 100, 100), 0);
  EXPECT_EQ(getpixel(background, 30, 30), makecol(255, 255, 255));
  BITMAP* bmp = create_bitmap(50, 50);
  clear_to_color(bmp, 0);
  LitLine(bmp, 25, 25, 25, 25);
  WideLine(bmp, 25, 25, 25, 25, 12, makecol(255, 255, 255));
  EXPECT_TRUE(allpixels(bmp, 0));
  destroy_bitmap(bmp);
}

TEST(Map, RimGreyDependsOnEdgeDirection) {
  BITMAP* bmp = create_bitmap(300, 300);
  struct Case {
    int x1, y1, x2, y2, grey;
  } cases[] = {{50, 150, 250, 150, 38}, {250, 150, 50, 150, 217}, {150, 250, 150, 50, 38},
               {150, 50, 150, 250, 217}, {250, 50, 50, 250, 254}, {50, 250, 250, 50, 1},
               {50, 50, 250, 250, 128}};
  for (const Case& c : cases) {
    clear_to_color(bmp, makecol(255, 0, 255));
    LitLine(bmp, c.x1, c.y1, c.x2, c.y2);
    EXPECT_EQ(getpixel(bmp, 150, 150), makecol(c.grey, c.grey, c.grey)) << c.grey;
  }
  destroy_bitmap(bmp);
}

TEST(Map, WideLineFillsTheQuadrilateralOfItsCorners) {
  struct Case {
    int x1, y1, x2, y2, width;
    int corners[8];
  } cases[] = {{100, 100, 200, 100, 4, {100, 98, 100, 102, 200, 102, 200, 98}},
               {100, 100, 200, 100, 12, {100, 94, 100, 106, 200, 106, 200, 94}},
               {100, 100, 200, 200, 4, {101, 99, 99, 101, 199, 201, 201, 199}}};
  BITMAP* got = create_bitmap(300, 300);
  BITMAP* want = create_bitmap(300, 300);
  for (Case& c : cases) {
    clear_to_color(got, 0);
    clear_to_color(want, 0);
    WideLine(got, c.x1, c.y1, c.x2, c.y2, c.width, 7);
    polygon(want, 4, c.corners, 7);
    EXPECT_EQ(memcmp(got->dat, want->dat, 300 * 300 * bitmap_color_depth(got) / 8), 0) << c.width;
  }
  destroy_bitmap(got);
  destroy_bitmap(want);
}

TEST(Map, FarOffCoordinatesAreClippedWithoutOverflow) {
  makeworld(200, 200);
  Map map;
  ASSERT_EQ(loadmap("2 3 -3e38 100 3e38 100 100 3e38  3 -1e12 -1e12 -5e9 -5 -5 -5e9", map), "");
  map.drawcave();  // run under -fsanitize=float-cast-overflow as well
  EXPECT_EQ(getpixel(collisionmap, 100, 150), 0);
  EXPECT_EQ(getpixel(collisionmap, 100, 50), 1);
}

namespace {

// What ApplyDirt must do, the slow way: mirrored copies by getpixel and
// putpixel, stamped by Allegro's draw_trans_sprite.
void referencedirt(BITMAP* dest, BITMAP* dirt, int qty) {
  BITMAP* variants[4];
  for (int i = 0; i < 4; i++) {
    variants[i] = create_bitmap_ex(32, dirt->w, dirt->h);
    for (int y = 0; y < dirt->h; y++)
      for (int x = 0; x < dirt->w; x++)
        putpixel(variants[i], (i & 1) ? dirt->w - 1 - x : x, (i & 2) ? dirt->h - 1 - y : y,
                 getpixel(dirt, x, y));
  }
  for (int n = 0; n < qty; n++) {
    int x = randombetween(0, backgroundWidth - 1);
    int y = randombetween(0, backgroundHeight - 1);
    int i = randombetween(0, 3);
    draw_trans_sprite(dest, variants[i], x - 128, y - 128);
  }
  for (BITMAP* v : variants) destroy_bitmap(v);
}

unsigned int randomword() { return static_cast<unsigned>(rand()) ^ (static_cast<unsigned>(rand()) << 16); }

}  // namespace

TEST(Map, DirtStampsMatchAllegrosAlphaBlendAtBothDepths) {
  initallegro();
  BITMAP* dirt = create_bitmap_ex(32, 150, 140);
  srand(11);
  for (int y = 0; y < dirt->h; y++)
    for (int x = 0; x < dirt->w; x++) {
      unsigned int v = randomword();
      if (rand() % 8 == 0) v = MASK_COLOR_32;
      if (rand() % 8 == 0) v &= 0xFFFFFF;  // fully transparent
      putpixel(dirt, x, y, v);
    }
  set_alpha_blender();
  BITMAP* saved = background;
  for (int depth : {16, 32}) {
    background = create_bitmap_ex(depth, 300, 200);
    BITMAP* want = create_bitmap_ex(depth, 300, 200);
    for (int y = 0; y < 200; y++)
      for (int x = 0; x < 300; x++) putpixel(background, x, y, randomword() & (depth == 16 ? 0xFFFF : ~0u));
    blit(background, want, 0, 0, 0, 0, 300, 200);
    backgroundWidth = 300;
    backgroundHeight = 200;
    srand(5);
    ApplyDirt(dirt, 40);
    srand(5);
    referencedirt(want, dirt, 40);
    EXPECT_EQ(memcmp(background->dat, want->dat, 300 * 200 * depth / 8), 0) << depth;
    destroy_bitmap(background);
    destroy_bitmap(want);
  }
  background = saved;
  destroy_bitmap(dirt);
}

class Objects : public ::testing::Test {
 protected:
  void SetUp() override {
    makeworld(1400, 1000);
    initmanager();
  }
  void TearDown() override { initmanager(); }
};

TEST_F(Objects, RecordsBecomeObjectsInFileOrderAndSaveBack) {
  testing::internal::CaptureStdout();
  ASSERT_EQ(readobjects("S 320.5 200\nT 5 320 230\n  E 2\n1200 900\nT 0 1300 -0.5"), "");
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "Object type: S\nObject type: T\nObject type: E\nObject type: T\n");
  ASSERT_EQ(newobjects.size(), 4u);
  EXPECT_EQ(playership, newobjects[0]);
  EXPECT_EQ(trackingobject, newobjects[0]);
  EXPECT_EQ(newobjects[0]->position.x, 320.5f);
  EXPECT_EQ(dynamic_cast<StaticObject*>(newobjects[1])->type, PlayerBaseStart);
  EXPECT_EQ(dynamic_cast<Enemy*>(newobjects[2])->type, OrangeWibblet);
  EXPECT_NE(getpixel(collisionmap, 320, 229), 0);  // the base is solid now
  newobjects[0]->position = Point{100.9f, -0.5f};
  removedeads();
  std::string path = maketempdir() + "/saved.txt";
  saveobjects(path.c_str());
  EXPECT_EQ(readfile(path), "S 100 0\nT 5 320 230\nE 2 1200 900\nT 0 1300 0\n");
  initmanager();
  testing::internal::CaptureStdout();
  ASSERT_EQ(readobjects(readfile(path)), "");
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(newobjects.size(), 4u);
  EXPECT_EQ(newobjects[0]->position.y, 0.0f);
}

TEST_F(Objects, EmptyFilesAndSecondShip) {
  EXPECT_EQ(readobjects(""), "");
  EXPECT_EQ(readobjects(" \n\t\n"), "");
  EXPECT_TRUE(newobjects.empty());
  EXPECT_EQ(playership, nullptr);
  testing::internal::CaptureStdout();
  ASSERT_EQ(readobjects("S 100 100 S 200 200"), "");
  testing::internal::GetCapturedStdout();
  ASSERT_EQ(newobjects.size(), 2u);
  EXPECT_EQ(playership, newobjects[1]);
  EXPECT_EQ(trackingobject, newobjects[1]);
}

TEST_F(Objects, BadRecordsAreRejectedWithoutRegisteringThem) {
  struct Case {
    const char* text;
    const char* error;
    const char* trace;
  } cases[] = {{"s 1 2", "Unknown object type", "Object type: s\n"},
               {"S 1", "Bad record in objects file", "Object type: S\n"},
               {"T 1 5", "Bad record in objects file", "Object type: T\n"},
               {"E x 1 2", "Bad record in objects file", "Object type: E\n"},
               {"S 1 y", "Bad record in objects file", "Object type: S\n"},
               {"E 7 1 2", "Unknown enemy type", "Object type: E\n"},
               {"E 0 1 2", "Unknown enemy type", "Object type: E\n"},
               {"T 6 1 2", "Unable to get bitmap in StaticObject", "Object type: T\n"},
               {"T -1 1 2", "Unable to get bitmap in StaticObject", "Object type: T\n"}};
  for (const Case& c : cases) {
    testing::internal::CaptureStdout();
    EXPECT_STREQ(readobjects(c.text).c_str(), c.error) << c.text;
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.trace) << c.text;
    EXPECT_TRUE(newobjects.empty()) << c.text;
    EXPECT_EQ(playership, nullptr) << c.text;
  }
  try {
    InitObjects("/nonexistent/objects.txt");
    FAIL();
  } catch (const char* e) {
    EXPECT_STREQ(e, "Failed to open objects file");
  }
}

TEST(Level, MapIsReadBeforeTheObjects) {
  initallegro();
  std::string dir = maketempdir();
  ASSERT_EQ(mkdir((dir + "/levels").c_str(), 0755), 0);
  writefile(dir + "/levels/level2objects.txt", "S 320 200\n");
  char old[4096];
  ASSERT_NE(getcwd(old, sizeof old), nullptr);
  ASSERT_EQ(chdir(dir.c_str()), 0);
  std::string error;
  try {
    initlevel(2);
  } catch (const char* e) {
    error = e;
  }
  EXPECT_EQ(error, "Failed to load map");  // the objects were not read first
  EXPECT_EQ(playership, nullptr);
  writefile(dir + "/levels/level2.txt", "1 3 100 100 500 100 300 400");
  testing::internal::CaptureStdout();
  initlevel(2);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Object type: S\n");
  EXPECT_EQ(chdir(old), 0);
  EXPECT_EQ(backgroundWidth, 2560);
  EXPECT_EQ(getpixel(collisionmap, 300, 200), 0);
  EXPECT_NE(playership, nullptr);
  initmanager();
}
