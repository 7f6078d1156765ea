#include "playermap.h"

#include <gtest/gtest.h>

#include "common.h"
#include "data.h"
#include "gamedata.h"
#include "map.h"
#include "support/testsupport.h"

namespace {

// What a level has seen after screen windows at these top-left corners.
SeenCave seenafter(std::initializer_list<Point> windows, int w = LevelWidth, int h = LevelHeight) {
  SeenCave cave;
  cave.reset(w, h);
  for (Point p : windows) cave.see(int(p.x), int(p.y));
  return cave;
}

}  // namespace

TEST(SeenCave, AWindowMarksTheCellsItTouchesAndNoOthers) {
  const SeenCave cave = seenafter({{100, 50}});  // covers x 100..739, y 50..529
  EXPECT_TRUE(cave.seen(96, 32));    // the cells holding its first pixel, from their corner
  EXPECT_TRUE(cave.seen(767, 543));  // and its last, to theirs
  EXPECT_FALSE(cave.seen(95, 300));
  EXPECT_FALSE(cave.seen(768, 300));
  EXPECT_FALSE(cave.seen(300, 31));
  EXPECT_FALSE(cave.seen(300, 544));
}

TEST(SeenCave, WindowsAddUpUntilReset) {
  SeenCave cave = seenafter({{0, 0}, {1920, 2080}, {0, 0}});  // back to the first: still counted once
  EXPECT_TRUE(cave.seen(10, 10));
  EXPECT_TRUE(cave.seen(2559, 2559));
  EXPECT_FALSE(cave.seen(1200, 1200));
  cave.reset(LevelWidth, LevelHeight);
  EXPECT_FALSE(cave.seen(10, 10));
  cave.see(0, 0);  // the window of before the reset counts again
  EXPECT_TRUE(cave.seen(10, 10));
}

TEST(SeenCave, WindowsOverTheLevelsEdgesMarkOnlyWhatLiesInside) {
  const SeenCave corner = seenafter({{-100, -50}});  // x -100..539, y -50..429
  EXPECT_TRUE(corner.seen(0, 0));
  EXPECT_TRUE(corner.seen(539, 429));
  EXPECT_FALSE(corner.seen(544, 100));
  EXPECT_FALSE(corner.seen(-1, 0));  // outside the level nothing is ever seen
  const SeenCave far = seenafter({{2300, 2300}});  // reaches past the right and bottom edges
  EXPECT_TRUE(far.seen(2559, 2559));
  EXPECT_FALSE(far.seen(2560, 2559));
  // Wholly off the level: a window ending a pixel short of column 0 marks nothing.
  const SeenCave off = seenafter({{-ScreenWidth, 0}, {0, -ScreenHeight}, {LevelWidth, 0}});
  for (int x = 0; x < LevelWidth; x += SeenCellSize) EXPECT_FALSE(off.seen(x, 0)) << x;
  // A level smaller than the screen and than a whole number of cells.
  const SeenCave small = seenafter({{0, 0}}, 100, 70);
  EXPECT_TRUE(small.seen(99, 69));
  EXPECT_FALSE(small.seen(100, 69));
  SeenCave none;  // never reset: an empty level
  EXPECT_FALSE(none.seen(0, 0));
}

namespace {

// A 1280 x 896 level, shown at half size on 640 x 448 of the screen: grey
// rock with a black open hall (200..1079, 200..695), seen only at the
// screen window at (0, 0).
class PlayerMap : public ::testing::Test {
 protected:
  BITMAP* target = nullptr;
  void SetUp() override {
    makeworld(1280, 896);
    clear_to_color(background, makecol(120, 120, 120));
    rectfill(background, 200, 200, 1079, 695, makecol(0, 0, 0));
    clear_to_color(collisionmap, 1);
    rectfill(collisionmap, 200, 200, 1079, 695, 0);
    clear_to_color(vscreen, makecol(255, 255, 255));
    target = create_bitmap(ScreenWidth, ScreenHeight);
    startplayermap(background, collisionmap);
    seeview(0, 0);
  }
  void TearDown() override { destroy_bitmap(target); }
  FONT* words() { return static_cast<FONT*>(datafile[DataFont].dat); }
  void open(const std::vector<MapMark>& marks) {
    openplayermap(vscreen, 0, 0, marks, words());
    showplayermap(target);
  }
  // The screen pixel of level pixel (x, y).
  int at(int x, int y) { return getpixel(target, x / 2, y / 2); }
  // Whether the map of `marks` differs from the bare map round level pixel (x, y).
  bool drawnat(const MapMark& mark) {
    open({});
    BITMAP* bare = create_bitmap(ScreenWidth, ScreenHeight);
    blit(target, bare, 0, 0, 0, 0, ScreenWidth, ScreenHeight);
    open({mark});
    bool differs = false;
    for (int y = mark.y / 2 - 12; y <= mark.y / 2 + 12; y++)
      for (int x = mark.x / 2 - 12; x <= mark.x / 2 + 12; x++)
        differs = differs || getpixel(bare, x, y) != getpixel(target, x, y);
    destroy_bitmap(bare);
    return differs;
  }
};

BITMAP* sprite(int entry) { return static_cast<BITMAP*>(datafile[entry].dat); }

}  // namespace

TEST_F(PlayerMap, SeenCaveShowsTintedOverDarkThatWasNeverOnScreen) {
  open({});
  const int open = at(300, 300), rock = at(100, 100), unseenopen = at(900, 600), unseenrock = at(1200, 800);
  EXPECT_GE(getb(open), 70);  // open cave on screen once: the overview's blue
  EXPECT_EQ(getr(open), 0);
  EXPECT_GE(getr(rock), 100);  // rock as it is drawn
  for (int c : {unseenopen, unseenrock}) EXPECT_LT(getr(c) + getg(c) + getb(c), 40);
  // The view below the map is dimmed, not hidden: white comes out grey.
  const int beside = getpixel(target, 5, 470);
  EXPECT_GT(getr(beside), 20);
  EXPECT_LT(getr(beside), 120);
}

TEST_F(PlayerMap, TheExitAndTheShipAreAlwaysMarkedBasesTanksAndWibbletsOnlyWhereSeen) {
  const MapMark seenbase{MapMark::Base, 400, 450, 0, 0, sprite(DataTankHydrogen)};
  const MapMark unseenbase{MapMark::Base, 900, 695, 0, 0, sprite(DataTankHydrogen)};
  const MapMark seenwibblet{MapMark::Wibblet, 400, 300, 0, makecol(0, 0, 255), sprite(DataBlueWibblet)};
  const MapMark unseenwibblet{MapMark::Wibblet, 900, 300, 0, makecol(0, 0, 255), sprite(DataBlueWibblet)};
  EXPECT_TRUE(drawnat(seenbase));
  EXPECT_FALSE(drawnat(unseenbase));
  EXPECT_TRUE(drawnat(seenwibblet));
  EXPECT_FALSE(drawnat(unseenwibblet));
  EXPECT_TRUE(drawnat({MapMark::Exit, 900, 695, 0, 0, sprite(DataBaseExit)}));
  EXPECT_TRUE(drawnat({MapMark::Ship, 900, 300, 0.5f}));
  // The exit's box is magenta; the ship's ring white, its heading stroke
  // pointing up from the ring for a ship nose up.
  open({{MapMark::Exit, 900, 695}, {MapMark::Ship, 900, 300, 0.0f}});
  EXPECT_EQ(at(900, 695 - 28), makecol(255, 0, 255));
  EXPECT_EQ(getpixel(target, 450, 150 - 11), makecol(255, 255, 255));
  EXPECT_NE(getpixel(target, 450, 150 + 11), makecol(255, 255, 255));
}
