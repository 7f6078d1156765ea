#include "editortools.h"

#include <gtest/gtest.h>

#include "map.h"
#include "playerinfo.h"
#include "support/world_support.h"

// The check sees the level as it stands in the editor, not as its files
// had it: a tank moved into rock is marked where it is now.
TEST(EditorTools, CheckMarksWhereObjectsStandNow) {
  initallegro();
  std::string dir = maketempdir();
  writefile(dir + "/map.txt", "1 4 100 100 900 100 900 500 100 500");
  writefile(dir + "/objects.txt", "T 5 300 501\nS 300 443\nT 0 700 501\nT 1 500 501\n");
  keeplevelrock(true);
  initcave((dir + "/map.txt").c_str());
  keeplevelrock(false);
  testing::internal::CaptureStdout();
  InitObjects((dir + "/objects.txt").c_str());
  testing::internal::GetCapturedStdout();
  CavePicture picture;
  const Cave cave = levelmap().getpolygons();
  CheckOutcome clean = checkeditedlevel(picture, cave);
  EXPECT_EQ(clean.summary, "Check: no problems found");
  EXPECT_TRUE(clean.marks.empty());

  newobjects[3]->position = {50, 300};
  CheckOutcome found = checkeditedlevel(picture, cave);
  ASSERT_FALSE(found.marks.empty());
  StaticObject* tank = static_cast<StaticObject*>(newobjects[3]);
  for (const CheckMark& m : found.marks) {
    EXPECT_EQ(m.x, 50);
    EXPECT_EQ(m.y, 300 - tank->height + tank->height / 2);
  }
  EXPECT_EQ(found.marks[0].number, 1);
  EXPECT_EQ(found.summary.find(std::to_string(found.marks.size()) + " problem"), 0u) << found.summary;
  EXPECT_NE(found.summary.find("1: the hydrogen tank at (50, 300) overlaps rock"), std::string::npos) << found.summary;

  // A problem of the cave is marked at its point.
  Cave edged = cave;
  edged[0].points[0] = {10, 100};
  CheckOutcome edge = checkeditedlevel(picture, edged);
  ASSERT_EQ(edge.problems.size(), found.problems.size() + 1);
  const FoundProblem& first = edge.problems.front();  // of the level as a whole: first
  EXPECT_EQ(first.words.find("cave polygon 1 comes within 20 px"), 0u) << first.words;
  EXPECT_TRUE(first.placed && first.x == 10 && first.y == 100);
  EXPECT_EQ(edge.marks.front().number, 1);
  initmanager();
}

// The pilot flies a level of one cavern from the start base to the exit
// pad, tells what it does as it flies, and leaves the edit as it was.
TEST(EditorTools, PilotFliesTheLevelAndLeavesTheEditAsItWas) {
  initallegro();
  std::string dir = maketempdir();
  writefile(dir + "/map.txt", "1 4 100 100 900 100 900 400 100 400");
  writefile(dir + "/objects.txt", "S 300 343\nT 5 300 401\nT 0 700 401\n");
  initcave((dir + "/map.txt").c_str());
  testing::internal::CaptureStdout();
  InitObjects((dir + "/objects.txt").c_str());
  testing::internal::GetCapturedStdout();
  const std::vector<PlacedObject> before = placedobjects();
  const PlayerInfo player = playerinfo;
  CavePicture picture;
  std::vector<std::string> said;
  PilotOutcome flown = pilotflight(picture, levelmap().getpolygons(), [&said](const std::string& s) { said.push_back(s); });
  EXPECT_EQ(flown.result.find("The pilot finished in "), 0u) << flown.result;
  EXPECT_NE(flown.result.find(" with shield 100 %, hydrogen "), std::string::npos) << flown.result;
  ASSERT_FALSE(said.empty());
  EXPECT_NE(said.back().find(" s: docked"), std::string::npos) << said.back();
  ASSERT_GE(flown.route.size(), 2u);
  EXPECT_NEAR(flown.route.front().x, 300, 5);
  EXPECT_NEAR(flown.route.back().x, 700, 50);
  EXPECT_EQ(placedobjects(), before);
  EXPECT_EQ(playerinfo.money, player.money);
  initmanager();
}
