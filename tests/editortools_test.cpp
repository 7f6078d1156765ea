#include "editortools.h"

#include <gtest/gtest.h>

#include "map.h"
#include "support/world_support.h"

// The check sees the level as it stands in the editor, not as its files
// had it: a tank moved into rock is marked where it is now.
TEST(EditorTools, CheckMarksWhereObjectsStandNow) {
  initallegro();
  std::string dir = maketempdir();
  writefile(dir + "/map.txt", "1 4 100 100 900 100 900 500 100 500");
  writefile(dir + "/objects.txt", "T 5 300 501\nS 300 443\nT 0 700 501\nT 1 500 501\n");
  initcave((dir + "/map.txt").c_str());
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

  // A problem of the cave, of the level as a whole, comes first, marked at its point.
  Cave edged = cave;
  edged[0].points[0] = {10, 100};
  const CheckOutcome edge = checkeditedlevel(picture, edged);
  EXPECT_EQ(edge.problems.front().words.find("cave polygon 1 comes within 20 px"), 0u) << edge.summary;
  EXPECT_EQ(std::make_tuple(edge.marks.front().x, edge.marks.front().y, edge.marks.front().number),
            std::make_tuple(10, 100, 1));
  initmanager();
}
