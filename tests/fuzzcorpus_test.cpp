// The fuzzers' seed and regression inputs, run through the loaders here too
// so that a fault they once found stays fixed where clang is missing.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "data.h"
#include "levelcheck/loadlevel.h"
#include "manager.h"
#include "map.h"
#include "support/fuzz_support.h"
#include "support/testsupport.h"

namespace {

std::string corpusfile(const std::string& target, const std::string& name = "") {
  return sourcedir() + "/tests/fuzz/corpus/" + target + "/" + name;
}

class FuzzCorpus : public ::testing::Test {
 protected:
  // The camera keeps its place when a file makes no ship, so it starts at
  // the corner here whatever ran before.
  void SetUp() override {
    makeworld(640, 640);
    initmanager();
    dirtyrectangles.clear();
    releaseallkeys();
    screenoffsetx = screenoffsety = 0;
  }
  void TearDown() override { initmanager(); }
};

}  // namespace

TEST_F(FuzzCorpus, EveryMapInputLoadsAndDrawsOrFailsWithAMessage) {
  for (const auto& entry : std::filesystem::directory_iterator(corpusfile("fuzz_map"))) {
    SCOPED_TRACE(entry.path());
    Map map;
    std::string error = quietly([&] { map.load(entry.path().c_str()); });
    if (!error.empty()) {
      EXPECT_TRUE(error == "Failed to load map" || error == "Too many points") << error;
      continue;
    }
    for (const Polygon& poly : map.getpolygons()) EXPECT_LE(poly.points.size(), size_t(MaxPoints));
    map.drawcave();
  }
}

// Allegro keeps polygon edges in fixed point with 18 fraction bits, so
// corners or edge spans of 8192 pixels and more overflow and fill the
// wrong pixels; polygons reaching that far are clipped to a box around the
// picture, which must leave the picture as the whole polygon makes it.
TEST_F(FuzzCorpus, MapPointsFarOffThePictureStillFillTheCave) {
  auto draw = [](const char* name) {
    Map map;
    ASSERT_EQ(quietly([&] { map.load(corpusfile("fuzz_map", name).c_str()); }), "") << name;
    map.drawcave();
  };
  draw("farcoordinates");
  draw("beyondpicture");  // the square of +-20000
  int rock = 0;
  for (int y = 0; y < 640; y++)
    for (int x = 0; x < 640; x++) rock += getpixel(collisionmap, x, y) != 0;
  EXPECT_EQ(rock, 0) << "a square far larger than the picture opens all of it";
  draw("beyondpicturediagonal");
  // The triangle is open below the line y = x, through the whole picture:
  // as Allegro fills the same triangle from corners it can take.
  BITMAP* want = create_bitmap_ex(8, 640, 640);
  clear_to_color(want, 1);
  int triangle[] = {-2000, -2000, 2000, 2000, -2000, 2000};
  polygon(want, 3, triangle, 0);
  for (int y = 0; y < 640; y++) EXPECT_EQ(memcmp(collisionmap->line[y], want->line[y], 640), 0) << y;
  destroy_bitmap(want);
  EXPECT_TRUE(getpixel(collisionmap, 0, 639) == 0 && getpixel(collisionmap, 639, 0) != 0);
}

TEST_F(FuzzCorpus, EveryObjectsInputReadsAndRunsOrFailsWithAMessage) {
  for (const auto& entry : std::filesystem::directory_iterator(corpusfile("fuzz_objects"))) {
    SCOPED_TRACE(entry.path());
    initmanager();
    clear_to_color(collisionmap, 0);
    quietly([&] { InitObjects(entry.path().c_str()); });
    playframes(3);
    EXPECT_TRUE(screenoffsetx >= 0 && screenoffsetx <= backgroundWidth - 640) << screenoffsetx;
    EXPECT_TRUE(screenoffsety >= 0 && screenoffsety <= backgroundHeight - 480) << screenoffsety;
  }
}

// Positions beyond the int range ("S 1e30 -1e30") are pulled in to whole
// pixels rather than overflowing: in levelcheck's report and in the camera.
TEST_F(FuzzCorpus, FarObjectsTakeTheGamesWholePixelsAndKeepTheCameraOnThePicture) {
  makeworld(1280, 960);
  ASSERT_EQ(quietly([&] { InitObjects(corpusfile("fuzz_objects", "farpositions").c_str()); }), "");
  std::vector<LevelObject> objects = collectobjects();
  ASSERT_EQ(objects.size(), 3u);
  EXPECT_EQ(objects[0].x, 1000000000);
  EXPECT_EQ(objects[0].y, -1000000000);
  EXPECT_EQ(objects[2].x, 1000000000);
  playframes(3);
  EXPECT_EQ(screenoffsetx, 1280 - 640);  // the ship is far to the right and up
  EXPECT_EQ(screenoffsety, 0);
}

// What the data file check accepts, Allegro must load; the rest is refused
// with a reason.
TEST_F(FuzzCorpus, EveryDataInputIsRefusedWithAReasonOrLoads) {
  for (const auto& entry : std::filesystem::directory_iterator(corpusfile("fuzz_data"))) {
    SCOPED_TRACE(entry.path());
    std::string why;
    if (!checkdatafile(entry.path().c_str(), why)) {
      EXPECT_FALSE(why.empty());
      continue;
    }
    DATAFILE* data = load_datafile(entry.path().c_str());
    ASSERT_NE(data, nullptr);
    unload_datafile(data);
  }
  std::string why;
  for (const char* name : {"headeronly", "packed", "mixedfont", "tallemptyglyph"})
    EXPECT_FALSE(checkdatafile(corpusfile("fuzz_data", name).c_str(), why)) << name;
}
