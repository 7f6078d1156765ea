#include "playerinfo.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <vector>

#include "items.h"
#include "main.h"

using Ints = std::vector<int>;

TEST(PlayerInfo, InitStartsPennilessWithBasicKitButKeepsLevels) {
  PlayerInfo& p = playerinfo;
  p = PlayerInfo{500, 700, 4, 3, 5, true, 6};
  p.init();
  // score, money, engine, weapon, level complete; level, highest start level
  EXPECT_EQ(Ints({p.score, p.money, p.engine, p.weapon, p.levelcomplete}), Ints({0, 0, 1, 1, 0}));
  EXPECT_EQ(Ints({p.level, p.maxstartlevel}), Ints({5, 6}));
}

// The shop pages through the rows in order and fits an item by its id.
TEST(Items, CatalogueHasEnginesThenGunsThenTerminator) {
  const struct { ShipItemType type; int id, price; } rows[] = {
      {ItemEngine, 1, 0}, {ItemEngine, 2, 100}, {ItemEngine, 3, 300}, {ItemEngine, 4, 600},
      {ItemWeapon, 1, 0}, {ItemWeapon, 2, 100}, {ItemWeapon, 3, 250}, {EndOfItems, 0, 0}};
  for (int i = 0; i < 8; i++) {
    EXPECT_EQ(Ints({shipitems[i].type, shipitems[i].id, shipitems[i].price}), Ints({rows[i].type, rows[i].id, rows[i].price})) << i;
    EXPECT_EQ(shipitems[i].name != nullptr, i < 7) << i;
    EXPECT_EQ(shipitems[i].description != nullptr, i < 7) << i;
  }
  EXPECT_STREQ(shipitems[3].name, "Mk4 Engine && thrusters");  // a single & would underline
}

TEST(Shell, RandomBetweenCoversBothEndsAndNothingElse) {
  srand(1);
  std::set<int> seen;
  for (int i = 0; i < 2000; i++) seen.insert(randombetween(-2, 3));
  EXPECT_EQ(seen, (std::set<int>{-2, -1, 0, 1, 2, 3}));
  EXPECT_EQ(randombetween(7, 7), 7);
}
