#include "playerinfo.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <set>

#include "items.h"
#include "main.h"

TEST(PlayerInfo, InitStartsPennilessWithBasicKitButKeepsLevels) {
  playerinfo = PlayerInfo{500, 700, 4, 3, 5, true, 6};
  playerinfo.init();
  EXPECT_EQ(playerinfo.score, 0);
  EXPECT_EQ(playerinfo.money, 0);
  EXPECT_EQ(playerinfo.engine, 1);
  EXPECT_EQ(playerinfo.weapon, 1);
  EXPECT_FALSE(playerinfo.levelcomplete);
  EXPECT_EQ(playerinfo.level, 5);
  EXPECT_EQ(playerinfo.maxstartlevel, 6);
}

TEST(Items, CatalogueHasEnginesThenGunsThenTerminator) {
  int rows = 0;
  while (shipitems[rows].type != EndOfItems) rows++;
  ASSERT_EQ(rows, 7);
  const int prices[] = {0, 100, 300, 600, 0, 100, 250};
  for (int i = 0; i < rows; i++) {
    EXPECT_EQ(shipitems[i].type, i < 4 ? ItemEngine : ItemWeapon) << i;
    EXPECT_EQ(shipitems[i].id, i < 4 ? i + 1 : i - 3) << i;
    EXPECT_EQ(shipitems[i].price, prices[i]) << i;
    ASSERT_NE(shipitems[i].name, nullptr);
    ASSERT_NE(shipitems[i].description, nullptr);
  }
  EXPECT_STREQ(shipitems[3].name, "Mk4 Engine && thrusters");
  EXPECT_STREQ(shipitems[6].name, "Spray acid gun");
  EXPECT_EQ(shipitems[7].name, nullptr);
  EXPECT_EQ(shipitems[7].price, 0);
}

TEST(Shell, RandomBetweenCoversBothEndsAndNothingElse) {
  srand(1);
  std::set<int> seen;
  for (int i = 0; i < 2000; i++) {
    int v = randombetween(-2, 3);
    ASSERT_GE(v, -2);
    ASSERT_LE(v, 3);
    seen.insert(v);
  }
  EXPECT_EQ(seen.size(), 6u);
  EXPECT_EQ(randombetween(7, 7), 7);
}
