#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "checks.h"
#include "common.h"
#include "levelcheck/picture.h"
#include "levelcheck/run.h"
#include "reach.h"
#include "map.h"
#include "support/testsupport.h"

namespace {

const std::string Broken = "/tests/data/levels/";

// levelcheck on two files of the source tree: its exit status, the report in `out`.
int report(const std::string& mapfile, const std::string& objectsfile, std::string& out, std::string picture = "") {
  initallegro();
  Options o{sourcedir() + mapfile, sourcedir() + objectsfile, "data.dat", picture};
  std::ostringstream s;
  const int status = checkandreport(o, s);
  out = s.str();
  return status;
}

}  // namespace

// One level per test: each load renders a whole 2560 x 2560 cave.
class ShippedLevel : public ::testing::TestWithParam<int> {};

TEST_P(ShippedLevel, PassesLevelcheck) {
  std::string out;
  EXPECT_EQ(report("/" + levelmapname(GetParam()), "/" + levelobjectsname(GetParam()), out), ExitClean) << out;
}

INSTANTIATE_TEST_SUITE_P(LevelCheck, ShippedLevel, ::testing::Range(1, NumLevels + 1));

// "  no exit", "  load error" (two spaces in front) name no record; the game's traces stay out.
// Where the ship may start is the checks' own test; here one such problem is counted.
TEST(LevelCheck, BrokenLevelsAreReportedWithTheirRecords) {
  struct Row { const char *map, *objs; std::vector<const char*> says; const char* never = "Object type"; };
  const Row rows[] = {
      {"cave.txt", "objectinrock.txt",  // record 5, a wibblet in open cave out of the pads' sight, is fine
       {"record 6, oxygen tank at (400, 60): its picture overlaps rock",
        "record 7, orange wibblet at (150, 110): overlaps rock"}, "record 5"},
      {"cave.txt", "floatingtank.txt", {"record 3, hydrogen tank at (400, 250): does not stand", "1 problem "}},
      {"cave.txt", "nostartbase.txt", {"record 1, ship at (320, 343): no start base", "1 problem "}},
      {"cave.txt", "noexit.txt", {"  no exit base (T 0)"}},
      {"cave.txt", "twoexits.txt", {"record 4, exit base at (450, 401): a second exit base", "1 problem "}},
      {"cave.txt", "exitbehindwall.txt", {"record 4, exit base at (1000, 401): the ship cannot", "1 problem "}},
      {"cave.txt", "overlaps.txt",  // the exit pad's rim 6 px into the tank's body; a wibblet on the tank, by both pads
       {"record 4, exit base at (458, 401): its picture overlaps record 3, hydrofluoric acid tank at (500, 401)",
        "record 5, blue wibblet at (512, 362): overlaps record 3, hydrofluoric acid tank",
        "record 2, start base at (200, 401): a ship landed on it is under fire from record 5", "4 problems "}},
      {"cave.txt", "pile.txt",  // 16 copies of a tank on one spot: 120 pairs
       {"record 5, hydrogen tank at (400, 401): its picture overlaps record 4", "  and 20 more\n120 problems found"}},
      {"toomanypoints.txt", "good.txt", {"  load error: ", "Too many points"}},
      {"cave.txt", "unknowntype.txt", {"  record 3: load error: ", "Unknown object type"}},
      {"cave.txt", "missing.txt", {"  load error: ", "Failed to open objects file"}}};
  for (const Row& row : rows) {
    std::string out;
    EXPECT_EQ(report(Broken + row.map, Broken + row.objs, out), ExitProblems) << out;
    for (const char* line : row.says) EXPECT_NE(out.find(line), std::string::npos) << line << " in\n" << out;
    EXPECT_EQ(out.find(row.never), std::string::npos) << row.never << " in\n" << out;
  }
}

TEST(LevelCheck, CleanLevelPassesAndItsOverviewIsWritten) {
  const std::string picture = maketempdir() + "/overview.bmp";
  std::string out;
  EXPECT_EQ(report(Broken + "cave.txt", Broken + "good.txt", out, picture), ExitClean) << out;
  EXPECT_NE(out.find("OK: no problems found"), std::string::npos) << out;
  BITMAP* b = load_bitmap(picture.c_str(), nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->w, PictureSize);
  EXPECT_EQ(b->h, PictureSize);
  destroy_bitmap(b);
}

// The broken levels leave the ship far wider margins than these.
TEST(LevelCheck, ReachKeepsTheShipsExactClearance) {
  initallegro();
  BITMAP* map = create_bitmap_ex(8, 300, 200);
  clear_to_color(map, 0);
  rectfill(map, 140, 0, 159, 199, 1);   // a wall across the world
  rectfill(map, 140, 80, 159, 129, 0);  // with a gap 50 px high
  Grid fits = fitmap(map, 23);
  EXPECT_TRUE(fits.at(116, 50));  // 24 px from the wall
  EXPECT_FALSE(fits.at(117, 50));  // 23 touches it
  EXPECT_TRUE(fits.at(50, 23));
  EXPECT_FALSE(fits.at(50, 22));  // the world's edge is rock
  for (int y = 0; y < 200; y += 7)
    for (int x = 0; x < 300; x += 3) ASSERT_EQ(fits.at(x, y), discfits(map, x, y, 23)) << x << "," << y;
  EXPECT_TRUE(floodfill(fits, 50, 100).at(250, 100));
  EXPECT_FALSE(floodfill(fits, 150, 10).at(150, 10));  // a start in rock reaches nothing
  rectfill(map, 140, 80, 159, 84, 1);                  // 45 px: too narrow
  EXPECT_FALSE(floodfill(fitmap(map, 23), 50, 100).at(250, 100));
  destroy_bitmap(map);
}

TEST(LevelCheck, ATankIsReachedFromWithinTheShipsProbeDistanceAboveIt) {
  Grid reached(100, 300);
  reached.cells[60 * 100 + 50] = 1;  // one place, 137 px above y = 197: the probe is 68 px away
  EXPECT_TRUE(candock(reached, 50, 197));
  EXPECT_FALSE(candock(reached, 50, 198));  // 69 px: no nearer than the ship itself
  EXPECT_FALSE(candock(reached, 51, 197));
}

TEST(LevelCheck, OptionsNameALevelOrTwoFiles) {
  const std::pair<std::vector<const char*>, const char*> rows[] = {  // map objects data picture, or "" for bad usage
      {{"3"}, "levels/level3.txt levels/level3objects.txt data.dat "},
      {{"--picture", "p.bmp", "a.txt", "--data", "d.dat", "b.txt"}, "a.txt b.txt d.dat p.bmp"},
      {{}, ""}, {{"x"}, ""}, {{"0"}, ""}, {{"a", "b", "c"}, ""}, {{"--picture"}, ""}, {{"--fast", "1"}, ""},
      {{"--picture", "p.png", "1"}, ""}};
  for (auto row : rows) {
    row.first.insert(row.first.begin(), "levelcheck");
    Options o;
    std::string why;
    bool ok = parseoptions(int(row.first.size()), const_cast<char**>(row.first.data()), o, why);
    std::string got = ok ? o.mapfile + " " + o.objectsfile + " " + o.datafile + " " + o.picture : "";
    EXPECT_EQ(got, row.second) << row.first.back() << ": " << why;
  }
}
