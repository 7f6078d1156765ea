#include "editorlevel.h"

#include <gtest/gtest.h>

#include <cstring>

#include "support/world_support.h"

namespace {

const std::vector<PlacedObject> Records{
    {'T', PlayerBaseStart, {300, 501}}, {'S', 0, {300.5f, 443.25f}}, {'E', 2, {700, 300}},
    {'T', TankOxygen, {500, 501}},      {'S', 0, {800, 200}}};

// Whether a base or tank standing at (x, y) is stamped into collisionmap.
bool stampedat(int x, int y, StaticType type) {
  for (int row = y - 20; row < y; row++)
    for (int col = x - 5; col <= x + 5; col++)
      if (getpixel(collisionmap, col, row) == StaticStampBase + type) return true;
  return false;
}

// A level set up as the editor gets it, on a cave of one cavern.
void setupcave() {
  initallegro();
  std::string map = maketempdir() + "/map.txt";
  writefile(map, "1 4 100 100 900 100 900 500 100 500");
  initcave(map.c_str());
}

}  // namespace

TEST(EditorLevel, ReplacedObjectsKeepTheirOrderAndTheLastShipIsThePlayers) {
  TestWorld world;
  addplacedobjects(Records);  // still waiting in newobjects, as at the editor's start
  EXPECT_EQ(placedobjects(), Records);
  EXPECT_EQ(playership, newobjects[4]);
  removedeads();
  std::vector<GameObject*> old = gameobjects;
  std::vector<PlacedObject> fewer(Records.begin() + 1, Records.end() - 1);
  replaceobjects(fewer);
  EXPECT_EQ(placedobjects(), fewer);
  EXPECT_EQ(deadobjects, old);  // deleted at the next removedeads
  ASSERT_EQ(gameobjects.size(), 3u);
  EXPECT_EQ(playership, gameobjects[0]);
}

TEST(EditorLevel, UndoHistoryGivesBackTheLatestHundredStatesNewestFirst) {
  UndoHistory history;
  for (int i = 0; i < 130; i++) history.push({{}, {{'S', 0, {float(i), 0}}}});
  for (int i = 129; i >= 30; i--) {
    ASSERT_FALSE(history.empty());
    EXPECT_EQ(history.pop().objects[0].position.x, i);
  }
  EXPECT_TRUE(history.empty());
}

TEST(EditorLevel, RedrawOnTheKeptRockGivesTheSetUpPictureAndStampsWhereObjectsStand) {
  setupcave();
  BITMAP* picture = copyof(background);
  BITMAP* solid = copyof(collisionmap);
  CavePicture cave;
  Cave edited = levelmap().getpolygons();
  cave.redraw(edited);
  EXPECT_TRUE(samebitmap(background, picture));
  EXPECT_TRUE(samebitmap(collisionmap, solid));
  EXPECT_TRUE(samebitmap(vscreen, picture));

  addplacedobjects({{'T', TankOxygen, {500, 501}}});
  addcavern(edited, {1500, 300});
  cave.redraw(edited);
  EXPECT_EQ(getpixel(collisionmap, 1500, 300), 0);
  EXPECT_TRUE(stampedat(500, 501, TankOxygen));
  newobjects[0]->position.x = 600;
  cave.restamp(edited);
  EXPECT_FALSE(stampedat(500, 501, TankOxygen));
  EXPECT_TRUE(stampedat(600, 501, TankOxygen));
  EXPECT_EQ(getpixel(cave.caveonly(), 600, 495), 0);
  destroy_bitmap(picture);
  destroy_bitmap(solid);
  initmanager();
}
