#include "caveedit.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <sstream>
#include <utility>

#include "support/world_support.h"

namespace {

Polygon polygonof(int points) {
  Polygon p;
  for (int i = 0; i < points; i++) p.points.push_back({float(10 * i), float(i % 2 ? 50 : 0)});
  return p;
}

std::pair<int, int> at(CaveVertex v) { return {v.polygon, v.point}; }

// The cave a written map gives back to the game's own reader.
Cave readback(const Cave& cave) {
  std::string path = maketempdir() + "/map.txt";
  savemap(path.c_str(), cave);
  Map map;
  map.load(path.c_str());
  return map.getpolygons();
}

}  // namespace

TEST(CaveEdit, InsertStopsAtTwentyPointsAndDeleteAtThree) {
  Cave cave{polygonof(3), polygonof(19)};
  CaveVertex v{1, 4};
  ASSERT_EQ(insertvertex(cave, v, {1, 2}), nullptr);
  EXPECT_EQ(at(v), std::pair(1, 5));  // the new point, right after the one selected
  EXPECT_EQ(cave[1].points[5].x, 1);
  EXPECT_EQ(cave[1].points.size(), 20u);
  Cave before = cave;
  EXPECT_STREQ(insertvertex(cave, v, {3, 4}), "A cavern holds at most 20 points");
  EXPECT_TRUE(samecave(cave, before));
  EXPECT_EQ(at(v), std::pair(1, 5));

  CaveVertex first{0, 0};
  EXPECT_STREQ(deletevertex(cave, first), "A cavern keeps at least 3 points");
  EXPECT_TRUE(samecave(cave, before));
  // Four points may lose one. Deleting the first selects the last, so Delete walks round.
  Cave four{polygonof(4)};
  const float last = four[0].points[3].x;
  ASSERT_EQ(deletevertex(four, first), nullptr);
  EXPECT_EQ(at(first), std::pair(0, 2));
  EXPECT_EQ(four[0].points.size(), 3u);
  EXPECT_EQ(four[0].points[2].x, last);
}

TEST(CaveEdit, NewCavernIsCentredClockwiseAndDeletingOneLeavesTheRest) {
  Cave cave{polygonof(3)};
  ASSERT_EQ(at(addcavern(cave, {1000, 500})), std::pair(1, 0));
  // Clockwise on the screen: along the top to the right first.
  EXPECT_TRUE(samecave({cave[1]}, {Polygon{{{900, 425}, {1100, 425}, {1100, 575}, {900, 575}}}}));
  CaveVertex first{0, 1};
  deletecavern(cave, first);
  EXPECT_FALSE(isvertex(cave, first));
  ASSERT_EQ(cave.size(), 1u);
  EXPECT_EQ(cave[0].points[0].x, 900);
}

TEST(CaveEdit, NearestVertexSkipsEmptyPolygonsAndTakesTheFirstOfEquals) {
  EXPECT_FALSE(isvertex({}, nearestvertex({}, {0, 0})));
  Cave cave{Polygon{}, Polygon{{{100, 100}, {300, 100}}}, Polygon{{{-3e38f, 5}, {100, 300}}}};
  EXPECT_EQ(at(nearestvertex(cave, {200, 100})), std::pair(1, 0));
  EXPECT_EQ(at(nearestvertex(cave, {-2.9e38f, 0})), std::pair(2, 0));
  EXPECT_FALSE(isvertex(cave, {0, 0}));
  EXPECT_FALSE(isvertex(cave, {3, 0}));
}

TEST(CaveEdit, WrittenMapReadsBackAsTheSameCave) {
  initallegro();
  // 1000.00006 is the float after 1000: it takes nine digits.
  Cave cave{polygonof(20), Polygon{}, Polygon{{{150.5f, -0.25f}, {0.1f, 2559.999f}, {3e38f, -7e-3f}}},
            Polygon{{{100, 100}, {500, 100}, {999999936, 1e9f}, {std::nextafter(1000.0f, 2000.0f), 0.1f}}}};
  EXPECT_TRUE(samecave(readback(cave), cave));
  // Each number in its shortest exact form: whole pixels, what the editor
  // makes, as plain numbers below a billion.
  std::ostringstream text;
  writemap(text, Cave{cave[3]});
  EXPECT_EQ(text.str(), "1\n4  100 100  500 100  999999936 1e+09  1000.00006 0.1\n");
  EXPECT_TRUE(samecave(readback({}), {}));
}

TEST(CaveEdit, FailedSaveThrowsAndLeavesTheOldFileWhole) {
  const std::string dir = maketempdir(), path = dir + "/leveleditedmap.txt";
  writefile(path, "1 3 1 1 2 2 3 3\n");
  EXPECT_EQ(thrown([&] { savemap((dir + "/missing/map.txt").c_str(), {}); }), "Save error");
  chmod(dir.c_str(), 0555);
  if (access((dir + "/.").c_str(), W_OK) != 0) {  // root may write anyway
    EXPECT_EQ(thrown([&] { savemap(path.c_str(), Cave{polygonof(4)}); }), "Save error");
    EXPECT_EQ(readfile(path), "1 3 1 1 2 2 3 3\n");
  }
  chmod(dir.c_str(), 0755);
}
