// The fuzzers' seed and regression inputs, run through the loaders in the
// ordinary suite too, so that a fault they once found stays fixed even
// where clang is missing.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "levelcheck/loadlevel.h"
#include "manager.h"
#include "map.h"
#include "support/testsupport.h"

namespace {

std::vector<std::string> corpus(const char* target) {
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(sourcedir() + "/tests/fuzz/corpus/" + target))
    files.push_back(entry.path().string());
  return files;
}

std::string corpusfile(const char* target, const char* name) {
  return sourcedir() + "/tests/fuzz/corpus/" + target + "/" + name;
}

// The message Map::load threw, or "" when it loaded.
std::string loadmap(Map& map, const std::string& path) {
  try {
    map.load(path.c_str());
  } catch (const char* message) {
    return message;
  }
  return "";
}

// The message InitObjects threw, or ""; the trace lines are swallowed.
std::string readobjects(const std::string& path) {
  std::ostringstream trace;
  std::streambuf* saved = std::cout.rdbuf(trace.rdbuf());
  std::string error;
  try {
    InitObjects(path.c_str());
  } catch (const char* message) {
    error = message;
  }
  std::cout.rdbuf(saved);
  return error;
}

void playframes(int count) {
  for (int i = 0; i < count; i++) {
    tickall(0.05f);
    track();
    drawobjects();
    restorerects();
  }
}

class Hardening : public ::testing::Test {
 protected:
  void SetUp() override {
    makeworld(640, 640);
    initmanager();
    dirtyrectangles.clear();
    releaseallkeys();
  }
  void TearDown() override { initmanager(); }
};

}  // namespace

TEST_F(Hardening, EveryMapInputLoadsAndDrawsOrFailsWithAMessage) {
  for (const std::string& path : corpus("fuzz_map")) {
    SCOPED_TRACE(path);
    Map map;
    std::string error = loadmap(map, path);
    if (!error.empty()) {
      EXPECT_TRUE(error == "Failed to load map" || error == "Too many points") << error;
      continue;
    }
    for (const Polygon& poly : map.getpolygons()) EXPECT_LE(poly.points.size(), size_t(MaxPoints));
    map.drawcave();
  }
}

TEST_F(Hardening, BrokenMapsFailWithTheirOwnMessages) {
  const std::pair<const char*, const char*> cases[] = {
      {"toomanypoints", "Too many points"}, {"negativecount", "Failed to load map"},
      {"hugecount", "Failed to load map"},  {"cutshort", "Failed to load map"},
      {"garbled", "Failed to load map"}};
  for (const auto& c : cases) {
    Map map;
    EXPECT_EQ(loadmap(map, corpusfile("fuzz_map", c.first)), c.second) << c.first;
  }
}

// Allegro keeps polygon edges in fixed point with 18 fraction bits, so
// corners or edge spans of 8192 pixels and more overflow and fill the
// wrong pixels; far map points must be pulled in well before that.
TEST_F(Hardening, MapPointsFarOffThePictureStillFillTheCave) {
  Map far;
  ASSERT_EQ(loadmap(far, corpusfile("fuzz_map", "farcoordinates")), "");
  far.drawcave();
  Map square;
  ASSERT_EQ(loadmap(square, corpusfile("fuzz_map", "beyondpicture")), "");
  square.drawcave();
  int rock = 0;
  for (int y = 0; y < 640; y++)
    for (int x = 0; x < 640; x++) rock += getpixel(collisionmap, x, y) != 0;
  EXPECT_EQ(rock, 0) << "a square far larger than the picture opens all of it";
  Map diagonal;
  ASSERT_EQ(loadmap(diagonal, corpusfile("fuzz_map", "beyondpicturediagonal")), "");
  diagonal.drawcave();
  // The triangle is open below the line y = x, through the whole picture.
  EXPECT_EQ(getpixel(collisionmap, 0, 639), 0);
  EXPECT_EQ(getpixel(collisionmap, 300, 320), 0);
  EXPECT_NE(getpixel(collisionmap, 639, 0), 0);
  EXPECT_NE(getpixel(collisionmap, 320, 300), 0);
}

TEST_F(Hardening, EveryObjectsInputReadsAndRunsOrFailsWithAMessage) {
  for (const std::string& path : corpus("fuzz_objects")) {
    SCOPED_TRACE(path);
    initmanager();
    clear_to_color(collisionmap, 0);
    readobjects(path);
    playframes(3);
    EXPECT_GE(screenoffsetx, 0);
    EXPECT_LE(screenoffsetx, backgroundWidth - 640);
    EXPECT_GE(screenoffsety, 0);
    EXPECT_LE(screenoffsety, backgroundHeight - 480);
  }
}

TEST_F(Hardening, BadObjectRecordsRegisterNothingOfTheirOwn) {
  const std::pair<const char*, const char*> cases[] = {
      {"badstatictype", "Unable to get bitmap in StaticObject"},
      {"negativestatictype", "Unable to get bitmap in StaticObject"},
      {"badenemytype", "Unknown enemy type"},
      {"unknownletter", "Unknown object type"},
      {"shipnoposition", "Bad record in objects file"},
      {"tanknoposition", "Bad record in objects file"},
      {"garbledposition", "Bad record in objects file"}};
  for (const auto& c : cases) {
    initmanager();
    EXPECT_EQ(readobjects(corpusfile("fuzz_objects", c.first)), c.second) << c.first;
    EXPECT_TRUE(newobjects.empty()) << c.first;
    EXPECT_EQ(playership, nullptr) << c.first;
  }
}

TEST_F(Hardening, ObjectsFarOffThePictureKeepTheCameraOnIt) {
  makeworld(1280, 960);
  ASSERT_EQ(readobjects(corpusfile("fuzz_objects", "farpositions")), "");
  ASSERT_EQ(newobjects.size(), 3u);
  playframes(3);
  EXPECT_EQ(screenoffsetx, 1280 - 640);  // the ship is far to the right and up
  EXPECT_EQ(screenoffsety, 0);
}

// levelcheck reports places in whole pixels as the game draws them, where a
// position beyond the int range is pulled in rather than overflowing.
TEST_F(Hardening, LevelcheckTakesFarObjectsAtTheGamesWholePixels) {
  ASSERT_EQ(readobjects(corpusfile("fuzz_objects", "farpositions")), "");
  std::vector<LevelObject> objects = collectobjects();
  ASSERT_EQ(objects.size(), 3u);
  EXPECT_EQ(objects[0].x, 1000000000);
  EXPECT_EQ(objects[0].y, -1000000000);
  EXPECT_EQ(objects[2].x, 1000000000);
}
