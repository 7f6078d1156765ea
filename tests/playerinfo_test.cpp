#include "playerinfo.h"
#include "randomness.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <vector>


using Ints = std::vector<int>;

TEST(PlayerInfo, InitStartsPennilessWithBasicKitButKeepsLevels) {
  PlayerInfo& p = playerinfo;
  p = PlayerInfo{500, 700, 4, 3, 5, true, 6};
  p.init();
  // score, money, engine, weapon, level complete; level, highest start level
  EXPECT_EQ(Ints({p.score, p.money, p.engine, p.weapon, p.levelcomplete}), Ints({0, 0, 1, 1, 0}));
  EXPECT_EQ(Ints({p.level, p.maxstartlevel}), Ints({5, 6}));
}

TEST(Shell, RandomBetweenCoversBothEndsAndNothingElse) {
  srand(1);
  std::set<int> seen;
  for (int i = 0; i < 2000; i++) seen.insert(randombetween(-2, 3));
  EXPECT_EQ(seen, (std::set<int>{-2, -1, 0, 1, 2, 3}));
  EXPECT_EQ(randombetween(7, 7), 7);
}
