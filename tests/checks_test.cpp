#include "checks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "enemies.h"
#include "support/testsupport.h"

namespace {

using Lines = std::vector<std::string>;

// A 900 x 300 cave with its floor at y = 201. Bases and tanks get a 20 x 10 picture, transparent in
// columns 0 to 3 and 16 to 19: one standing at (x, 201) is opaque from x - 6 to x + 5 and y 191 to 200.
class Checks : public ::testing::Test {
 protected:
  void SetUp() override {
    initallegro();
    rock = create_bitmap_ex(8, 900, 300);
    clear_to_color(rock, 0);
    rectfill(rock, 0, 201, 899, 299, 1);
    picture = create_bitmap(20, 10);
    clear_to_color(picture, bitmap_mask_color(picture));
    rectfill(picture, 4, 0, 15, 9, makecol(200, 200, 200));
  }
  void TearDown() override { made.clear(), destroy_bitmap(picture), destroy_bitmap(rock); }

  void base(StaticType type, float x, float y = 201) {
    StaticObject* s = place(new StaticObject(type), x, y);
    s->sprite = picture, s->width = picture->w, s->height = picture->h;
  }
  void wibblet(float x, float y) { place(new Enemy(BlueStaticWibblet), x, y); }  // radius 14
  void ship(float x, float y) { place(new Ship(), x, y); }                       // radius 23

  // The objects placed so far and `cave` as the checks see them.
  CheckedLevel level() {
    std::vector<GameObject*> list;
    for (const auto& o : made) list.push_back(o.get());
    return CheckedLevel{rock, rock, describeobjects(list), &cave};
  }

  // What `check` says of the objects placed so far and `cave`, which it then clears: as levelcheck
  // says it, or in the editor's plain words. A ProblemList's count goes to `total`.
  template <class List>
  Lines report(void (*check)(const CheckedLevel&, List&), bool plain = false) {
    const CheckedLevel checked = level();
    List problems;
    check(checked, problems);
    Lines lines;
    for (const Problem& p : problems) {
      lines.push_back(plain ? plaindescribe(p, checked) : describe(p, checked));
      if (p.placed) lines.back() += " @ " + std::to_string(p.x) + " " + std::to_string(p.y);
    }
    if constexpr (std::is_same_v<List, ProblemList>) total = problems.total();
    made.clear();
    cave.clear();
    return lines;
  }
  std::vector<Polygon> cave;
  long long total = 0;
  BITMAP* rock = nullptr;  // 1 is rock, 0 open cave

 private:
  template <class T>
  T* place(T* o, float x, float y) {
    o->position = {x, y};
    made.emplace_back(o);
    return o;
  }
  BITMAP* picture = nullptr;
  std::vector<std::unique_ptr<GameObject>> made;
};

TEST_F(Checks, BasesAndTanksOverlapWhereTheirOpaquePixelsMeet) {
  base(PlayerBaseExit, 100);
  base(TankHF, 111);  // the exit pad's last column is the tank's first
  EXPECT_EQ(report(checkoverlaps),
            Lines{"record 2, hydrofluoric acid tank at (111, 201): "
                  "its picture overlaps record 1, exit base at (100, 201)"});
  base(TankHF, 112);  // one column apart, transparent margins crossing
  base(PlayerBaseExit, 100);
  EXPECT_EQ(report(checkoverlaps), Lines{});
}

TEST_F(Checks, AWibbletMayNotTouchABaseOrTankButMayTouchAnotherWibblet) {
  const struct { float x, y; bool touches; } rows[] = {
      {200, 177, true}, {200, 176, false},  // above the picture, whose top row is 191
      {185, 181, true}, {184, 181, false},  // off its top-left corner: 13.5 and 14.1 px
  };
  for (const auto& row : rows) {
    base(TankOxygen, 200), wibblet(row.x, row.y);
    EXPECT_EQ(report(checkoverlaps).size(), row.touches ? 1u : 0u) << row.x << ", " << row.y;
  }
  wibblet(300, 180);  // before the tank, and blamed all the same
  base(TankHCl, 300);
  wibblet(300, 100), wibblet(305, 100);  // touching each other
  EXPECT_EQ(report(checkoverlaps),
            Lines{"record 1, blue wibblet at (300, 180): overlaps record 2, hydrochloric acid tank at (300, 201)"});
}

TEST_F(Checks, TheShipMayTouchNothingButItsStartBase) {
  ship(100, 168);                   // resting on its start base
  base(PlayerBaseStart, 100);
  base(TankHydrogen, 75, 180);      // beside it, a corner inside its disc
  base(PlayerBaseStart, 125, 180);  // a start base that is not its own
  wibblet(100, 131);                // 37 px above: the radii add up to 37
  wibblet(100, 130);
  EXPECT_EQ(report(checkoverlaps),
            (Lines{"record 1, ship at (100, 168): the ship overlaps record 3, hydrogen tank at (75, 180)",
                   "record 1, ship at (100, 168): the ship overlaps record 4, start base at (125, 180)",
                   "record 1, ship at (100, 168): the ship overlaps record 5, blue wibblet at (100, 131)"}));
}

// Every pair of a pile of copies is a problem: all are counted, the first hundred by record worded.
TEST_F(Checks, APileOfThousandsOfTanksIsCountedWholeAndWordedInPart) {
  for (int i = 0; i < 3000; i++) base(TankHydrogen, 100);
  wibblet(100, 185);  // over all of them
  ship(300, 100);
  base(TankOxygen, 300, 130);  // the ship's only overlap
  const Lines kept = report(checkoverlaps);
  EXPECT_EQ(total, 3000LL * 2999 / 2 + 3000 + 1);
  ASSERT_EQ(kept.size(), ProblemList::MaxKept);
  // Records 2 to 14 overlap 1 to 13 earlier ones, 91 in all; record 15 then gives the last 9.
  EXPECT_EQ(kept.back(), "record 15, hydrogen tank at (100, 201): its picture overlaps record 9, hydrogen tank at (100, 201)");
}

TEST(ProblemList, KeepsTheFirstHundredByRecordAndCountsTheRest) {
  ProblemList problems;
  for (int i = 0; i < 150; i++) problems.push_back({200 - i, "late"});
  problems.push_back({0, "the level"}), problems.push_back({51, "second of 51"});
  EXPECT_EQ(problems.total(), 152);
  ASSERT_EQ(problems.kept().size(), 100u);
  EXPECT_EQ(problems.kept()[0].text, "the level");
  EXPECT_EQ(problems.kept()[2].text, "second of 51");
  EXPECT_EQ(problems.kept().back().record, 148);
  EXPECT_TRUE(problems.wants(147));
  EXPECT_FALSE(problems.wants(148));
}

TEST_F(Checks, TheShipStartsJustAboveItsStartBaseNotInItNorInRock) {
  const struct { float y; const char* says; } rows[] = {
      {148, ""},  // 20 px above: a drop that costs no shield
      {147, "no start base (T 5) just below the ship"},
      {168, ""},  // resting on it
      {169, "the ship overlaps its start base"},
      {178, "the ship overlaps rock"},  // through the base into the floor
  };
  for (const auto& row : rows) {
    ship(100, row.y), base(PlayerBaseStart, 100);
    const Lines got = report(checkshipstart);
    ASSERT_EQ(got.size(), *row.says ? 1u : 0u) << row.y;
    for (const std::string& line : got) EXPECT_NE(line.find(row.says), std::string::npos) << line;
  }
  ship(100, 150), base(TankOxygen, 100);  // a tank is no start base, however close
  EXPECT_EQ(report(checkshipstart).size(), 1u);
}

// The cave keeps 20 px inside the 900 x 300 picture: one problem a polygon, at its first point out.
TEST_F(Checks, CavePointsKeepTwentyPixelsInsideThePicture) {
  const float nan = std::nanf("");
  cave = {{{{20, 20}, {880, 280}, {300, 150}}}, {{{19, 100}, {-1, 100}}}, {{{300, 281}}},
          {{{881, 100}}}, {{{901, 100}}}, {{{300, nan}}}};
  const std::string near = " comes within 20 px of the picture's edge at (", room = "), leaving no room for its rim @ ";
  EXPECT_EQ(report(checkcaveedges),
            (Lines{"cave polygon 2" + near + "19, 100" + room + "19 100", "cave polygon 3" + near + "300, 281" + room + "300 281",
                   "cave polygon 4" + near + "881, 100" + room + "881 100",
                   "cave polygon 5 reaches outside the level picture at (901, 100) @ 901 100",
                   "cave polygon 6 reaches outside the level picture at (300, 0) @ 300 0"}));
  EXPECT_EQ(report(checkhascave), Lines{"the level has no cave: it needs a cavern to fly in"});
}

// The editor's words name objects by kind and place: no record numbers, no file letters.
TEST_F(Checks, PlainWordsNameObjectsByKindAndPlace) {
  base(PlayerBaseExit, 100), base(TankHF, 111);
  EXPECT_EQ(report(checkoverlaps, true),
            Lines{"the hydrofluoric acid tank at (111, 201) overlaps the exit base at (100, 201)"});
  ship(100, 168), base(TankHydrogen, 75, 180);
  EXPECT_EQ(report(checkoverlaps, true), Lines{"the ship at (100, 168) overlaps the hydrogen tank at (75, 180)"});
  EXPECT_EQ(report(checkexitcount, true), Lines{"no exit base"});
  ship(100, 100);
  EXPECT_EQ(report(checkshipstart, true),
            Lines{"the ship at (100, 100): no start base just below the ship: put it on one, at most 20 px above"});
  base(TankOxygen, 300, 150);
  EXPECT_EQ(report(checkstanding, true),
            Lines{"the oxygen tank at (300, 150) does not stand on rock: the pixel below its position is open cave"});
  base(PlayerBaseExit, 100), wibblet(400, 168);
  EXPECT_EQ(report(checkpadfire, true), Lines{"the exit base at (100, 201): a ship landed on it is under fire from the "
                                              "blue wibblet at (400, 168), 300 px away in clear sight"});
}

// A ship landed on the pad at (100, 201) rests at (100, 168); wibblets fire on it from up to 500 px.
TEST_F(Checks, AWibbletThatCanFireOnAShipLandedOnAPadIsReported) {
  const struct { float x, y; bool wall; bool fires; } rows[] = {
      {400, 168, false, true},   // 300 px, in clear sight
      {400, 168, true, false},   // behind rock
      {700, 168, false, false},  // 600 px
      {600, 168, false, true},   // 500 px: the edge of its range
      {601, 168, false, false},
      {400, 100, false, true},   // above, looking down on the pad
      {400, 230, false, false},  // in the floor's rock below
  };
  for (const auto& row : rows) {
    base(PlayerBaseExit, 100), wibblet(row.x, row.y);
    if (row.wall) rectfill(rock, 250, 0, 260, 200, 1);
    EXPECT_EQ(report(checkpadfire).size(), row.fires ? 1u : 0u) << row.x << ", " << row.y << (row.wall ? " behind rock" : "");
    rectfill(rock, 250, 0, 260, 200, 0);
  }
  base(PlayerBaseStart, 100), base(TankHydrogen, 300), wibblet(400, 168);  // a tank has no pad to fire on
  EXPECT_EQ(report(checkpadfire), Lines{"record 1, start base at (100, 201): a ship landed on it is under fire from "
                                        "record 3, blue wibblet at (400, 168), 300 px away in clear sight"});
  // 3,000 exit bases under 3,000 wibblets: 9 million problems, counted, the first hundred worded.
  for (int i = 0; i < 3000; i++) base(PlayerBaseExit, 100);
  for (int i = 0; i < 3000; i++) wibblet(400, 168);
  const Lines kept = report(checkpadfire);
  EXPECT_EQ(total, 9000000LL);
  ASSERT_EQ(kept.size(), ProblemList::MaxKept);
  EXPECT_EQ(kept.back(), "record 1, exit base at (100, 201): a ship landed on it is under fire from record 3100, blue "
                         "wibblet at (400, 168), 300 px away in clear sight");
}

}  // namespace
