#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "common.h"
#include "levelcheck/checks.h"
#include "levelcheck/loadlevel.h"
#include "levelcheck/picture.h"
#include "levelcheck/reach.h"
#include "levelcheck/run.h"
#include "map.h"
#include "support/testsupport.h"

namespace {

std::string brokenlevel(const std::string& name) { return sourcedir() + "/tests/data/levels/" + name; }

// Loads the test cave with one of the broken objects files and checks it.
std::vector<Problem> checkcave(const std::string& objects) {
  initallegro();
  LoadedLevel loaded;
  Problem error;
  EXPECT_TRUE(loadlevel(brokenlevel("cave.txt").c_str(), brokenlevel(objects).c_str(), loaded, error)) << error.text;
  return checklevel(loaded.level);
}

// True when some problem names `record` and says `words`.
bool hasproblem(const std::vector<Problem>& problems, int record, const std::string& words) {
  for (const Problem& p : problems)
    if (p.record == record && p.text.find(words) != std::string::npos) return true;
  return false;
}

std::string listproblems(const std::vector<Problem>& problems) {
  std::string s;
  for (const Problem& p : problems) s += std::to_string(p.record) + ": " + p.text + "\n";
  return s;
}

// An 8-bit map of w x h, all open.
BITMAP* openmap(int w, int h) {
  BITMAP* b = create_bitmap_ex(8, w, h);
  clear_to_color(b, 0);
  return b;
}

}  // namespace

TEST(LevelCheckReach, DiscKeepsClearOfRockAndOfTheWorldEdge) {
  initallegro();
  BITMAP* map = openmap(200, 100);
  rectfill(map, 100, 0, 109, 99, 1);  // a wall from top to bottom
  Grid fits = fitmap(map, 23);
  EXPECT_TRUE(fits.at(50, 50));
  EXPECT_TRUE(fits.at(76, 50));    // 24 px from the wall
  EXPECT_FALSE(fits.at(77, 50));   // 23 px: touching
  EXPECT_FALSE(fits.at(50, 22));   // the world's edge is rock
  EXPECT_TRUE(fits.at(50, 23));
  EXPECT_FALSE(fits.at(105, 50));  // inside the wall
  for (int y = 0; y < 100; y += 7)
    for (int x = 0; x < 200; x += 3) ASSERT_EQ(fits.at(x, y), discfits(map, x, y, 23)) << x << "," << y;
  destroy_bitmap(map);
}

TEST(LevelCheckReach, FloodFillPassesAGapWiderThanTheShipOnly) {
  initallegro();
  BITMAP* map = openmap(300, 200);
  rectfill(map, 140, 0, 159, 199, 1);
  rectfill(map, 140, 80, 159, 129, 0);  // a gap 50 px high: wide enough for 46
  Grid reached = floodfill(fitmap(map, 23), 50, 100);
  EXPECT_TRUE(reached.at(250, 100));
  rectfill(map, 140, 80, 159, 84, 1);   // now 45 px: too narrow
  reached = floodfill(fitmap(map, 23), 50, 100);
  EXPECT_TRUE(reached.at(100, 100));
  EXPECT_FALSE(reached.at(250, 100));
  EXPECT_FALSE(floodfill(fitmap(map, 23), 150, 10).at(150, 10));  // start in rock: nothing
  destroy_bitmap(map);
}

TEST(LevelCheckReach, DockingNeedsTheShipWithinProbeRangeAboveTheObject) {
  Grid reached(100, 300);
  reached.cells[60 * 100 + 50] = 1;  // one place, 140 px above y = 200
  EXPECT_FALSE(candock(reached, 50, 200));
  EXPECT_TRUE(candock(reached, 50, 197));  // 137 px: the probe is 68 px away
  EXPECT_FALSE(candock(reached, 51, 197));
}

TEST(LevelCheck, GoodCaveIsClean) {
  std::vector<Problem> problems = checkcave("good.txt");
  EXPECT_TRUE(problems.empty()) << listproblems(problems);
}

TEST(LevelCheck, ObjectsInRockAndFloatingTanksAreCaught) {
  std::vector<Problem> problems = checkcave("objectinrock.txt");
  EXPECT_TRUE(hasproblem(problems, 6, "overlaps rock")) << listproblems(problems);
  EXPECT_TRUE(hasproblem(problems, 7, "overlaps rock")) << listproblems(problems);  // a wibblet under the roof
  EXPECT_FALSE(hasproblem(problems, 5, "")) << "the wibblet in open cave is fine";
  problems = checkcave("floatingtank.txt");
  EXPECT_TRUE(hasproblem(problems, 3, "does not stand on rock")) << listproblems(problems);
  EXPECT_EQ(problems.size(), 1u) << listproblems(problems);
}

TEST(LevelCheck, BadShipStartsAreCaught) {
  std::vector<Problem> problems = checkcave("shipinrock.txt");
  EXPECT_TRUE(hasproblem(problems, 1, "overlaps rock")) << listproblems(problems);
  problems = checkcave("nostartbase.txt");
  EXPECT_TRUE(hasproblem(problems, 1, "no start base")) << listproblems(problems);
  EXPECT_EQ(problems.size(), 1u) << listproblems(problems);
  // 53 px above its base: the drop would cost shield.
  problems = checkcave("shiptoohigh.txt");
  EXPECT_TRUE(hasproblem(problems, 1, "no start base")) << listproblems(problems);
}

TEST(LevelCheck, ExitsMustBeOneAndReachable) {
  std::vector<Problem> problems = checkcave("noexit.txt");
  EXPECT_TRUE(hasproblem(problems, 0, "no exit base")) << listproblems(problems);
  problems = checkcave("twoexits.txt");
  EXPECT_TRUE(hasproblem(problems, 4, "second exit base")) << listproblems(problems);
  EXPECT_EQ(problems.size(), 1u) << listproblems(problems);
  problems = checkcave("exitbehindwall.txt");
  EXPECT_TRUE(hasproblem(problems, 4, "cannot reach")) << listproblems(problems);
  EXPECT_EQ(problems.size(), 1u) << listproblems(problems);
}

TEST(LevelCheck, LoadErrorsCarryTheGamesMessageAndRecord) {
  initallegro();
  Problem error;
  {
    LoadedLevel loaded;
    EXPECT_FALSE(loadlevel(brokenlevel("toomanypoints.txt").c_str(), brokenlevel("good.txt").c_str(), loaded, error));
    EXPECT_EQ(error.record, 0);
    EXPECT_NE(error.text.find("Too many points"), std::string::npos) << error.text;
  }
  {
    LoadedLevel loaded;
    EXPECT_FALSE(loadlevel(brokenlevel("cave.txt").c_str(), brokenlevel("unknowntype.txt").c_str(), loaded, error));
    EXPECT_EQ(error.record, 3);
    EXPECT_NE(error.text.find("Unknown object type"), std::string::npos) << error.text;
  }
  {
    LoadedLevel loaded;
    EXPECT_FALSE(loadlevel(brokenlevel("cave.txt").c_str(), brokenlevel("missing.txt").c_str(), loaded, error));
    EXPECT_EQ(error.record, 0);
    EXPECT_NE(error.text.find("Failed to open objects file"), std::string::npos) << error.text;
  }
}

// One level per test: each load renders a whole 2560 x 2560 cave.
class ShippedLevel : public ::testing::TestWithParam<int> {};

TEST_P(ShippedLevel, IsClean) {
  initallegro();
  const int level = GetParam();
  LoadedLevel loaded;
  Problem error;
  const std::string dir = sourcedir() + "/";
  ASSERT_TRUE(loadlevel((dir + levelmapname(level)).c_str(), (dir + levelobjectsname(level)).c_str(), loaded, error))
      << error.text;
  std::vector<Problem> problems = checklevel(loaded.level);
  EXPECT_TRUE(problems.empty()) << listproblems(problems);
}

INSTANTIATE_TEST_SUITE_P(LevelCheck, ShippedLevel, ::testing::Range(1, NumLevels + 1));

TEST(LevelCheck, OptionsNameALevelOrTwoFiles) {
  auto parse = [](std::vector<const char*> args, Options& o, std::string& why) {
    args.insert(args.begin(), "levelcheck");
    return parseoptions(int(args.size()), const_cast<char**>(args.data()), o, why);
  };
  Options o;
  std::string why;
  ASSERT_TRUE(parse({"3"}, o, why)) << why;
  EXPECT_EQ(o.mapfile, "levels/level3.txt");
  EXPECT_EQ(o.objectsfile, "levels/level3objects.txt");
  EXPECT_EQ(o.datafile, "data.dat");
  o = Options();
  ASSERT_TRUE(parse({"--picture", "p.bmp", "a.txt", "--data", "d.dat", "b.txt"}, o, why)) << why;
  EXPECT_EQ(o.mapfile, "a.txt");
  EXPECT_EQ(o.objectsfile, "b.txt");
  EXPECT_EQ(o.datafile, "d.dat");
  EXPECT_EQ(o.picture, "p.bmp");
  for (std::vector<const char*> bad : std::vector<std::vector<const char*>>{
           {}, {"x"}, {"0"}, {"a", "b", "c"}, {"--picture"}, {"--fast", "1"}, {"--picture", "p.png", "1"}}) {
    o = Options();
    EXPECT_FALSE(parse(bad, o, why)) << (bad.empty() ? "(none)" : bad[0]);
  }
}

TEST(LevelCheck, ReportNamesRecordsAndWritesThePicture) {
  initallegro();
  Options o;
  o.mapfile = brokenlevel("cave.txt");
  o.objectsfile = brokenlevel("twoexits.txt");
  o.picture = maketempdir() + "/overview.bmp";
  std::ostringstream out;
  EXPECT_EQ(checkandreport(o, out), ExitProblems);
  EXPECT_NE(out.str().find("record 4, exit base at (450, 401): a second exit base"), std::string::npos) << out.str();
  EXPECT_EQ(out.str().find("Object type"), std::string::npos) << "trace lines belong to the game, not the report";
  BITMAP* picture = load_bitmap(o.picture.c_str(), nullptr);
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->w, PictureSize);
  EXPECT_EQ(picture->h, PictureSize);
  destroy_bitmap(picture);

  o.objectsfile = brokenlevel("good.txt");
  o.picture.clear();
  out.str("");
  EXPECT_EQ(checkandreport(o, out), ExitClean);
  EXPECT_NE(out.str().find("OK: no problems found"), std::string::npos) << out.str();
  o.objectsfile = brokenlevel("unknowntype.txt");
  out.str("");
  EXPECT_EQ(checkandreport(o, out), ExitProblems);
  EXPECT_NE(out.str().find("record 3: load error"), std::string::npos) << out.str();
}
