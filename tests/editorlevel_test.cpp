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

LevelState numbered(int i) { return {{}, {{'S', 0, {float(i), 0}}}}; }

// Undo gives back the latest hundred states newest first, redo what each
// undo left, newest first; a new edit ends what could be redone.
TEST(EditorLevel, UndoHistoryKeepsAHundredStepsEachWay) {
  UndoHistory history;
  for (int i = 0; i < 130; i++) history.push(numbered(i));
  for (int i = 129; i >= 30; i--) {
    ASSERT_FALSE(history.empty());
    EXPECT_EQ(history.undo(numbered(1000 + i)).objects[0].position.x, i);
  }
  EXPECT_TRUE(history.empty());
  for (int i = 30; i < 130; i++) {
    ASSERT_TRUE(history.canredo());
    EXPECT_EQ(history.redo(numbered(i)).objects[0].position.x, 1000 + i);
  }
  EXPECT_FALSE(history.canredo());
  history.undo(numbered(7));
  history.push(numbered(8));
  EXPECT_FALSE(history.canredo());
}

// Rock in rows 100 to 120 and from 300 down, in column 10 only.
TEST(EditorLevel, FloorBelowIsTheFirstRockUnderOpenCave) {
  initallegro();
  BITMAP* rock = create_bitmap_ex(8, 20, 400);
  clear_to_color(rock, 0);
  vline(rock, 10, 100, 120, 1);
  vline(rock, 10, 300, 399, 1);
  const struct { int x, y, floor; } rows[] = {
      {10, 50, 100}, {10, 100, 100},  // on the floor already
      {10, 107, 100}, {10, 108, -1},  // sunk 7 px is found again, 8 px is in rock
      {10, 121, 300}, {11, 50, -1},   // open to the bottom
      {10, -40, 100}, {-1, 50, -1},
  };
  for (const auto& row : rows) EXPECT_EQ(floorbelow(rock, row.x, row.y), row.floor) << row.x << ", " << row.y;
  destroy_bitmap(rock);
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
