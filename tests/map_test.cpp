#include "map.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "main.h"
#include "support/world_support.h"

namespace {

std::string loadmap(const std::string& text, Map& map) {
  std::string path = maketempdir() + "/level.txt";
  writefile(path, text);
  return thrown([&] { map.load(path.c_str()); });
}

// Reads objects text; returns the trace lines written, then the error thrown.
std::string readobjects(const std::string& text) {
  std::string path = maketempdir() + "/objects.txt";
  writefile(path, text);
  testing::internal::CaptureStdout();
  std::string error = thrown([&] { InitObjects(path.c_str()); });
  return testing::internal::GetCapturedStdout() + error;
}

}  // namespace

TEST(Map, TwentyPointsLoadAndTwentyOneFailBeforeAnyCoordinate) {
  std::string twenty = "1 20";
  for (int i = 0; i < 20; i++) twenty += " " + std::to_string(i) + " 7";
  Map map, other;
  EXPECT_EQ(loadmap(twenty, map), "");
  EXPECT_EQ(map.getpolygons().at(0).points.size(), 20u);
  EXPECT_EQ(loadmap("1 21", other), "Too many points");  // reading a coordinate would fail
}

TEST(Map, LayoutDoesNotMatterAndFractionsLoadUnchanged) {
  Map a, b;
  ASSERT_EQ(loadmap("2 0 3 600 150.5 900 150 -5 3000", a), "");
  ASSERT_EQ(loadmap("2\n\n0\n3\n\t600\n150.5\n900 150 -5\n3000\n", b), "");
  for (Map* m : {&a, &b}) {
    const std::vector<Point>& p = m->getpolygons().at(1).points;
    ASSERT_EQ(p.size(), 3u);
    EXPECT_TRUE(p[0].x == 600 && p[0].y == 150.5f && p[1].x == 900 && p[1].y == 150 &&
                p[2].x == -5 && p[2].y == 3000);
  }
}

TEST(Map, TruncatedGarbledOrNegativeMapsAreRejected) {
  for (const char* text : {"", "2 3 1 1 2 2 3 3", "1 3 1 x 2 2 3 3", "abc", "-1", "1 -3",
                           "2000000000", "1 4 1 1 2", "1 3 1 1 2 1e39 3 3", "1 3 nan 1 2 2 3 3"}) {
    Map map;
    EXPECT_EQ(loadmap(text, map), "Failed to load map") << text;
  }
  EXPECT_EQ(thrown([] { Map().load("/nonexistent/level1.txt"); }), "Failed to load map");
}

TEST(Map, RectangleIsOpenAndBlackInsideAndPolygonsWithoutAreaDrawNothing) {
  makeworld(200, 200);
  clear_to_color(background, makecol(255, 255, 255));
  Map map;
  // The repeated corner makes a zero-length edge; the other polygons enclose no area.
  ASSERT_EQ(loadmap("4 5 50 50 50 50 150 50 150 150 50 150 0 1 180 180 2 20 20 180 20", map), "");
  map.drawcave();
  BITMAP* want = create_bitmap_ex(8, 200, 200);  // rock but where Allegro's polygon fills
  clear_to_color(want, 1);
  int corners[] = {50, 50, 150, 50, 150, 150, 50, 150};
  polygon(want, 4, corners, 0);
  for (int y = 0; y < 200; y++)
    EXPECT_EQ(memcmp(collisionmap->line[y], want->line[y], 200), 0) << y;
  destroy_bitmap(want);
  EXPECT_EQ(getpixel(background, 100, 100), makecol(0, 0, 0));
  for (Point p : {Point{30, 30}, Point{180, 180}, Point{100, 20}})  // beyond the rims, and on the line
    EXPECT_EQ(getpixel(background, p.x, p.y), makecol(255, 255, 255)) << p.x << ", " << p.y;
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
  destroy_bitmap(bmp);
}

TEST(Map, FarOffPointsAreClippedWithoutOverflow) {
  makeworld(200, 200);
  Map far;
  ASSERT_EQ(loadmap("2 3 -3e38 100 3e38 100 100 3e38  3 -1e12 -1e12 -5e9 -5 -5 -5e9", far), "");
  far.drawcave();  // run under -fsanitize=float-cast-overflow as well
  EXPECT_EQ(getpixel(collisionmap, 100, 150), 0);
  EXPECT_EQ(getpixel(collisionmap, 100, 50), 1);
}

namespace {

// The cave as Allegro draws it when handed the corners itself: the rims,
// translucent as drawcave lays them, then the fill; over grey rock.
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

// Corners far off the picture must not move the cave inside it. Those that
// Allegro can take are drawn where they lie; those beyond its reach are
// clipped, here where the edges cross whole pixels, so the picture is that
// of the cave drawn from corners pulled in along its own edges.
TEST(Map, FarCornersLeaveThePictureAsTheCaveTheyMake) {
  struct Row { const char* map; std::vector<int> drawnas; } rows[] = {
      {"1 3 100 100 6000 300 200 400", {100, 100, 6000, 300, 200, 400}},
      {"1 3 300 200 20300 -19800 20300 20200", {300, 200, 5300, -4800, 5300, 5200}}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.map);
    makeworld(640, 480);
    clear_to_color(background, makecol(90, 90, 90));
    Map map;
    ASSERT_EQ(loadmap(row.map, map), "");
    map.drawcave();
    AllegroCave want(640, 480, row.drawnas);
    EXPECT_EQ(differing(collisionmap, want.fill), 0);
    EXPECT_EQ(differing(background, want.picture), 0);
  }
}

TEST(Objects, RecordsBecomeObjectsInFileOrderSaveBackTruncatedAndTheLastShipIsThePlayers) {
  TestWorld world(1400, 1000);
  std::string path = maketempdir() + "/saved.txt";
  const char* trace = "Object type: S\nObject type: T\nObject type: E\nObject type: T\n";
  ASSERT_EQ(readobjects("S 320.5 200\nT 5 320 230\n  E 2\n1200 900\nT 0 1300 -0.5"), trace);
  ASSERT_EQ(newobjects.size(), 4u);
  EXPECT_NE(getpixel(collisionmap, 320, 229), 0);  // the base is solid now
  newobjects[0]->position = Point{100.9f, -0.5f};
  removedeads();
  saveobjects(path.c_str());
  initmanager();
  ASSERT_EQ(readobjects(readfile(path)), trace);  // and it reads back the same
  removedeads();
  saveobjects(path.c_str());
  EXPECT_EQ(readfile(path), "S 100 0\nT 5 320 230\nE 2 1200 900\nT 0 1300 0\n");
  initmanager();
  EXPECT_EQ(readobjects("") + readobjects(" \n\t\n"), "");
  EXPECT_TRUE(newobjects.empty());
  ASSERT_EQ(readobjects("S 100 100 S 200 200"), "Object type: S\nObject type: S\n");
  EXPECT_TRUE(newobjects.size() == 2 && playership == newobjects[1] && trackingobject == newobjects[1]);
}

TEST(Objects, BadRecordsAreRejectedWithoutRegisteringThem) {
  TestWorld world(1400, 1000);
  const char *bad = "Bad record in objects file", *enemy = "Unknown enemy type";
  const char* bitmap = "Unable to get bitmap in StaticObject";
  const char* cases[][2] = {{"s 1 2", "Unknown object type"}, {"S 1", bad}, {"T 1 5", bad},
                            {"E x 1 2", bad}, {"S 1 y", bad},  {"E 7 1 2", enemy},
                            {"E 0 1 2", enemy}, {"T 6 1 2", bitmap}, {"T -1 1 2", bitmap}};
  for (auto& c : cases) {
    EXPECT_EQ(readobjects(c[0]), std::string("Object type: ") + c[0][0] + "\n" + c[1]);
    EXPECT_TRUE(newobjects.empty() && playership == nullptr) << c[0];
  }
  EXPECT_EQ(thrown([] { InitObjects("/nonexistent/objects.txt"); }), "Failed to open objects file");
}

TEST(Objects, LevelSetUpReadsTheMapBeforeTheObjects) {
  TestWorld world(1400, 1000);
  std::string dir = maketempdir();
  ASSERT_EQ(mkdir((dir + "/levels").c_str(), 0755), 0);
  writefile(dir + "/levels/level2objects.txt", "S 320 200\n");
  char old[4096];
  ASSERT_NE(getcwd(old, sizeof old), nullptr);
  ASSERT_EQ(chdir(dir.c_str()), 0);
  EXPECT_EQ(thrown([] { initlevel(2); }), "Failed to load map");
  EXPECT_EQ(playership, nullptr);  // the objects were not read first
  writefile(dir + "/levels/level2.txt", "1 3 100 100 500 100 300 400");
  testing::internal::CaptureStdout();
  initlevel(2);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Object type: S\n");
  EXPECT_EQ(chdir(old), 0);
  EXPECT_EQ(getpixel(collisionmap, 300, 200), 0);
}

namespace {

// The error a level file gives: its message and, after " | ", the fault
// named on its second line. The file named there must be `path`.
std::string levelfault(const std::string& path, void (*read)(const char*)) {
  try {
    testing::internal::CaptureStdout();
    read(path.c_str());
    testing::internal::GetCapturedStdout();
  } catch (const char* message) {
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(errordetail(message).file, path) << message;
    return std::string(message) + " | " + errordetail(message).what;
  }
  return "";
}

void loadmapfile(const char* path) { Map().load(path); }

}  // namespace

TEST(LevelErrors, SecondLineNamesThePolygonOrRecordAndWhatStoodThere) {
  TestWorld world(1400, 1000);
  const std::string map = "Failed to load map | ";
  const char* maps[][2] = {
      {"abc", "polygon count: \"abc\" is not a number the game can use"},
      {"-1", "polygon count: -1 is negative"},
      {"2 3 1 1 2 2 3 3", "polygon 2: point count: the file ends early"},
      {"1 3 1 1 2 1e39 3 3", "polygon 1, point 2: y: \"1e39\" is not a number the game can use"},
  };
  std::string path = maketempdir() + "/level.txt";
  for (auto& c : maps) {
    writefile(path, c[0]);
    EXPECT_EQ(levelfault(path, loadmapfile), map + c[1]) << c[0];
  }
  writefile(path, "2 3 1 1 2 2 3 3 21");
  EXPECT_EQ(levelfault(path, loadmapfile), "Too many points | polygon 2 has 21 points, at most 20");
  const char* objects[][2] = {
      {"S 1 2\nT 1 5", "Bad record in objects file | record 2 (T): y: the file ends early"},
      {"S 1 2 S 3 4 E 7 1 2", "Unknown enemy type | record 3 (E): wibblet type 7 is none of 1 to 4"},
      {"T 6 1 2", "Unable to get bitmap in StaticObject | record 1 (T): base or tank type 6 is none of 0 to 5"},
      {"S 1 2 s 1 2", "Unknown object type | record 2 (s): records begin with S, T or E"},
  };
  for (auto& c : objects) {
    writefile(path, c[0]);
    EXPECT_EQ(levelfault(path, InitObjects), c[1]) << c[0];
    initmanager();
  }
  EXPECT_EQ(levelfault("levels/level7.txt", loadmapfile), map + "cannot open");
  EXPECT_EQ(levelfault("/nonexistent/objects.txt", InitObjects), "Failed to open objects file | cannot open");
  EXPECT_TRUE(errordetail("Problem creating bitmaps").file.empty()) << "a message thrown without a detail";
}
