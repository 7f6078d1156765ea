#include "ui.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "classes.h"
#include "common.h"
#include "items.h"
#include "manager.h"
#include "playerinfo.h"
#include "support/ui_support.h"

namespace {

using Ints = std::vector<int>;

// A fresh game: penniless, basic kit.
void newgame(int level, int maxstartlevel) {
  playerinfo.init();
  playerinfo.level = level;
  playerinfo.maxstartlevel = maxstartlevel;
}

Ints kit() { return {playerinfo.engine, playerinfo.weapon, playerinfo.money}; }

}  // namespace

// The whole bonus is the level-complete dialog's test below.
TEST(Ui, LevelBonusPaysTwentyALevelAndTwentyAFullStoreCutDown) {
  EXPECT_EQ(levelbonus(1, 0.99f, 0, 0).oxygen, 19);
  // One shot fired on an empty store leaves it at -0.05: no charge.
  EXPECT_EQ(levelbonus(1, -0.01f, -0.05f, -0.05f).total(), 20);
}

// Catalogue rows 0-3 are the Mk1-Mk4 engines ($0, 100, 300, 600), 4-6 the guns.
TEST(Ui, PurchaseNeedsTheCashAndReplacesTheFittedItemOfItsKind) {
  newgame(1, 1);
  playerinfo.money = 100;
  EXPECT_EQ(buyitem(1), Purchase::Bought);
  EXPECT_EQ(buyitem(2), Purchase::NotEnoughCash);
  EXPECT_EQ(kit(), Ints({2, 1, 0}));
  playerinfo.money = 300;
  EXPECT_EQ(buyitem(6), Purchase::Bought);  // Spray acid gun, $250
  EXPECT_EQ(buyitem(0), Purchase::Bought);  // a lesser engine still replaces a better one
  EXPECT_EQ(kit(), Ints({1, 3, 50}));
  for (int beyond : {7, -1}) EXPECT_EQ(buyitem(beyond), Purchase::NoSuchItem) << beyond;
  // What is fitted is not charged again, even when dearer than the money left.
  playerinfo.engine = 4;
  for (int fitted : {3, 6}) EXPECT_EQ(buyitem(fitted), Purchase::AlreadyFitted) << fitted;
  EXPECT_EQ(kit(), Ints({4, 3, 50}));
  // The shop names the fitted item of the shown row's kind (the basic kit: the pager's test).
  EXPECT_STREQ(currentitemname(5), "Spray acid gun");
  EXPECT_STREQ(currentitemname(0), "Mk4 Engine && thrusters");  // a single & would underline
  playerinfo.weapon = 9;
  EXPECT_STREQ(currentitemname(5), "None");
}

// The dialogs in a window with scripted keys; each opens on its first button, Tabs move on.
class UiDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* why = startdialogs()) FAIL() << why;
  }
  void TearDown() override {
    EXPECT_TRUE(scriptsdone()) << "keys left over, or a dialog stuck open and closed with Esc";
    stopdialogs();
  }
};

const std::string Shop = "\t\r", Prev = "\t\r", Next = "\t\t\r", Buy = "\t\t\t\r";
const size_t Money = 3, Name = 9, Price = 11, Current = 15;  // shop entries

TEST_F(UiDialog, MainMenuOffersTheHighestLevelAndStartsTheTypedOne) {
  newgame(1, 4);
  playkeys("\r");
  EXPECT_TRUE(uimainmenu());
  EXPECT_EQ(playerinfo.level, 4);
  EXPECT_EQ(seen(0, {9}), "4");
  // Only a level from 1 to the highest reached is taken, else the first; the field holds two characters.
  const std::pair<std::string, int> typed[] = {{"3", 3}, {"04", 4}, {"004", 1}, {"0", 1}, {"5", 1}, {"", 1}, {"x", 1}};
  for (const auto& [text, level] : typed) {
    newgame(4, 4);
    playkeys("\t\t\b\b" + text + "\t\r");  // Tab to the field, and on round to Play
    EXPECT_TRUE(uimainmenu()) << text;
    EXPECT_EQ(playerinfo.level, level) << text;
  }
  // Enter in the field presses the button reached last: Quit.
  playkeys("\t\t\b\b3\r");
  EXPECT_FALSE(uimainmenu());
  EXPECT_EQ(playerinfo.level, 3);
}

// The catalogue: engines, then guns, each page with its price and the fitted item of its kind.
TEST_F(UiDialog, ShopPagerStopsAtBothEndsOfTheCatalogue) {
  newgame(1, 1);
  const std::vector<std::string> pages = {
      "Mk1 Engine | $ 0 | Mk1 Engine", "Mk2 Engine | $ 100 | Mk1 Engine", "Mk3 Engine | $ 300 | Mk1 Engine",
      "Mk4 Engine && thrusters | $ 600 | Mk1 Engine", "Acid gun | $ 0 | Acid gun",
      "High efficiency acid gun | $ 100 | Acid gun", "Spray acid gun | $ 250 | Acid gun"};
  const size_t rows = pages.size();
  std::string keys = Shop + Prev;
  for (size_t i = 0; i < rows; i++) keys += Next;
  playkeys(keys + "\x1b\t\t\r");  // Esc leaves the shop, then End Game
  EXPECT_FALSE(uistartlevel());
  // Dialog 1 is the first page, 2 after Prev, then one after each Next.
  for (size_t k = 1; k <= rows + 2; k++)
    EXPECT_EQ(seen(k, {Name, Price, Current}), pages[std::clamp(k, size_t(2), rows + 1) - 2]) << k;
  EXPECT_EQ(seen(rows + 3, {2}), "Entering level 1");
  EXPECT_EQ(shipitems[rows].type, EndOfItems);
}

TEST_F(UiDialog, ShopSellsWhatTheMoneyCovers) {
  newgame(1, 1);
  playerinfo.money = 100;
  // Play leaves the shop, Esc plays.
  playkeys(Shop + Next + Buy + "\r" + Buy + "\r" + Next + Buy + "\r\r\x1b");
  EXPECT_TRUE(uistartlevel());
  EXPECT_EQ(kit(), Ints({2, 1, 0}));
  EXPECT_EQ(seen(2, {Money}), "Money: $ 100");
  EXPECT_EQ(seen(3, {5, 6}), "Mk2 Engine | Bought!");
  EXPECT_EQ(seen(4, {Money, Current}), "Money: $ 0 | Mk2 Engine");
  EXPECT_EQ(seen(5, {5, 6}), "Mk2 Engine | Already fitted");
  EXPECT_EQ(seen(8, {5, 6}), "Mk3 Engine | Not enough cash");
  EXPECT_EQ(seen(9, {Current}), "Mk2 Engine");
}

TEST_F(UiDialog, LevelCompleteShowsAndPaysTheBonus) {
  newgame(3, 5);
  playerinfo.money = 7;  // the bonus adds to both
  playerinfo.score = 11;
  Ship ship;  // full tanks
  ship.hydrogen = 0.5f;
  ship.ammo = 0.0f;
  playership = &ship;
  playkeys("\r");
  uilevelcomplete();
  playership = nullptr;
  EXPECT_EQ(seen(0, {5, 7, 9, 11, 12}), "$ 60 | $ 20 | $ 10 | $ 0 | ");
  // maxstartlevel is assigned, so a game started at 3 lowers it.
  EXPECT_EQ(Ints({playerinfo.money, playerinfo.score, playerinfo.maxstartlevel}), Ints({97, 101, 4}));
  newgame(NumLevels, 3);  // the last level, and no ship left to measure
  playkeys("\r");
  uilevelcomplete();
  const std::string bonus = "$ " + std::to_string(20 * NumLevels);
  EXPECT_EQ(seen(0, {5, 7, 12}), bonus + " | $ 0 | You Won! (Sorry there is no outro!)");
  EXPECT_EQ(Ints({playerinfo.money, playerinfo.maxstartlevel}), Ints({20 * NumLevels, 3}));
}
