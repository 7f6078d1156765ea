#include "playermap.h"

#include <gtest/gtest.h>

#include "common.h"
#include "data.h"
#include "gamedata.h"
#include "map.h"
#include "support/testsupport.h"

// Which level pixels count as seen after screen windows at these corners, each row after a reset.
TEST(SeenCave, WindowsMarkTheWholeCellsTheyTouchWithinTheLevelAndAddUpUntilReset) {
  struct Row {
    const char* what;
    std::vector<Point> windows, seen, unseen;
    int w = LevelWidth, h = LevelHeight;
  };
  const Row rows[] = {
      {"x 100..739, y 50..529", {{100, 50}}, {{96, 32}, {767, 543}}, {{95, 300}, {768, 300}, {300, 31}, {300, 544}}},
      {"two, and the first again", {{0, 0}, {1920, 2080}, {0, 0}}, {{10, 10}, {2559, 2559}}, {{1200, 1200}}},
      {"over the top-left edge", {{-100, -50}}, {{0, 0}, {539, 429}}, {{544, 100}, {-1, 0}}},
      {"over the bottom-right edge", {{2300, 2300}}, {{2559, 2559}}, {{2560, 2559}}},
      {"the same window after a reset", {{2300, 2300}}, {{2559, 2559}}, {{0, 0}}},
      {"wholly off the level", {{-ScreenWidth, 0}, {0, -ScreenHeight}, {LevelWidth, 0}}, {}, {{0, 0}, {2559, 0}}},
      {"a level smaller than a screen and than whole cells", {{0, 0}}, {{99, 69}}, {{100, 69}}, 100, 70},
  };
  SeenCave cave;
  EXPECT_FALSE(cave.seen(0, 0));  // never reset: an empty level
  for (const Row& r : rows) {
    cave.reset(r.w, r.h);
    for (Point p : r.windows) cave.see(int(p.x), int(p.y));
    for (Point p : r.seen) EXPECT_TRUE(cave.seen(int(p.x), int(p.y))) << r.what << ": " << p.x << ", " << p.y;
    for (Point p : r.unseen) EXPECT_FALSE(cave.seen(int(p.x), int(p.y))) << r.what << ": " << p.x << ", " << p.y;
  }
}

namespace {

// A 1280 x 896 level at half size: grey rock, an open hall (200..1079, 200..695), seen from (0, 0).
class PlayerMap : public ::testing::Test {
 protected:
  BITMAP *target = nullptr, *bare = nullptr;
  void SetUp() override {
    makeworld(1280, 896);
    clear_to_color(background, makecol(120, 120, 120));
    rectfill(background, 200, 200, 1079, 695, makecol(0, 0, 0));
    clear_to_color(collisionmap, 1);
    rectfill(collisionmap, 200, 200, 1079, 695, 0);
    target = create_bitmap(ScreenWidth, ScreenHeight);
    bare = create_bitmap(ScreenWidth, ScreenHeight);
    startplayermap(background, collisionmap);
    seeview(0, 0);
    open({}, bare);
  }
  void TearDown() override { destroy_bitmap(target), destroy_bitmap(bare); }
  void open(const std::vector<MapMark>& marks, BITMAP* into) {
    openplayermap(vscreen, 0, 0, marks, static_cast<FONT*>(datafile[DataFont].dat));
    showplayermap(into);
  }
  // The screen pixel of level pixel (x, y).
  int at(int x, int y) { return getpixel(target, x / 2, y / 2); }
  // Whether the map with `mark` differs from the bare map round the mark's place.
  bool drawn(const MapMark& mark) {
    open({mark}, target);
    bool differs = false;
    for (int y = mark.y / 2 - 12; y <= mark.y / 2 + 12; y++)
      for (int x = mark.x / 2 - 12; x <= mark.x / 2 + 12; x++)
        differs = differs || getpixel(bare, x, y) != getpixel(target, x, y);
    return differs;
  }
};

}  // namespace

TEST_F(PlayerMap, SeenCaveShowsTintedOverDarkThatWasNeverOnScreen) {
  open({}, target);
  const int open = at(300, 300), rock = at(100, 100), unseenopen = at(900, 600), unseenrock = at(1200, 800);
  EXPECT_GE(getb(open), 70);  // open cave on screen once: the overview's blue
  EXPECT_EQ(getr(open), 0);
  EXPECT_GE(getr(rock), 100);  // rock as it is drawn
  for (int c : {unseenopen, unseenrock}) EXPECT_LT(getr(c) + getg(c) + getb(c), 40);
}

TEST_F(PlayerMap, TheExitAndTheShipAreAlwaysMarkedBasesTanksAndWibbletsOnlyWhereSeen) {
  BITMAP *tank = databitmap(DataTankHydrogen), *wibblet = databitmap(DataBlueWibblet);
  const int blue = makecol(0, 0, 255);
  const std::pair<MapMark, bool> rows[] = {
      {{MapMark::Base, 400, 450, 0, 0, tank}, true},    {{MapMark::Base, 900, 695, 0, 0, tank}, false},
      {{MapMark::Wibblet, 400, 300, 0, blue, wibblet}, true}, {{MapMark::Wibblet, 900, 300, 0, blue, wibblet}, false},
      {{MapMark::Exit, 900, 695, 0, 0, databitmap(DataBaseExit)}, true}, {{MapMark::Ship, 900, 300, 0.5f}, true}};
  for (const auto& [mark, shown] : rows) EXPECT_EQ(drawn(mark), shown) << mark.kind << " at " << mark.x;
  // The exit's box is magenta; the ship's ring white, its heading stroke above it nose up.
  open({{MapMark::Exit, 900, 695}, {MapMark::Ship, 900, 300, 0.0f}}, target);
  EXPECT_EQ(at(900, 695 - 28), makecol(255, 0, 255));
  EXPECT_EQ(at(900, 300 - 22), makecol(255, 255, 255));
  EXPECT_NE(at(900, 300 + 22), makecol(255, 255, 255));
}
