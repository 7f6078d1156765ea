#include "ui.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "classes.h"
#include "items.h"
#include "manager.h"
#include "playerinfo.h"
#include "support/ui_support.h"

namespace {

// A fresh game: penniless, basic kit.
void newgame(int level, int maxstartlevel) {
  playerinfo = PlayerInfo{};
  playerinfo.init();
  playerinfo.level = level;
  playerinfo.maxstartlevel = maxstartlevel;
}

int row(const char* name) {
  for (int i = 0; shipitems[i].type != EndOfItems; i++)
    if (std::string(shipitems[i].name) == name) return i;
  return -1;
}

}  // namespace

TEST(Ui, LevelBonusPaysTwentyPerLevelAndTankCuttingFractions) {
  LevelBonus b = levelbonus(3, 1.0f, 0.5f, 0.0f);
  EXPECT_EQ(b.completion, 60);
  EXPECT_EQ(b.oxygen, 20);
  EXPECT_EQ(b.hydrogen, 10);
  EXPECT_EQ(b.ammo, 0);
  EXPECT_EQ(b.total(), 90);
  EXPECT_EQ(levelbonus(1, 0.99f, 0.0f, 0.0f).oxygen, 19);
  // One shot fired on an empty store leaves it at -0.05: no charge.
  EXPECT_EQ(levelbonus(1, -0.01f, -0.05f, -0.05f).total(), 20);
}

TEST(Ui, PayingBonusRaisesMoneyAndScoreAndSetsNextStartLevel) {
  newgame(3, 5);
  playerinfo.money = 7;
  playerinfo.score = 11;
  paylevelbonus(levelbonus(3, 1.0f, 0.5f, 0.0f));
  EXPECT_EQ(playerinfo.money, 97);
  EXPECT_EQ(playerinfo.score, 101);
  // Assigned, not raised: a game started at level 3 lowers it from 5.
  EXPECT_EQ(playerinfo.maxstartlevel, 4);

  newgame(6, 5);
  paylevelbonus(levelbonus(6, 0.0f, 0.0f, 0.0f));
  EXPECT_EQ(playerinfo.money, 120);
  EXPECT_EQ(playerinfo.maxstartlevel, 5);
}

TEST(Ui, StartLevelFieldAcceptsOnlyLevelsReached) {
  EXPECT_EQ(parsestartlevel("3", 4), 3);
  EXPECT_EQ(parsestartlevel("4", 4), 4);
  for (const char* text : {"0", "9", "5", "", "ab", "-2"}) EXPECT_EQ(parsestartlevel(text, 4), 1) << text;
  // A command line that was not a number leaves the menu a top level of 0.
  EXPECT_EQ(parsestartlevel("1", 0), 1);
}

TEST(Ui, PurchaseNeedsTheCashAndFitsTheItemOfItsKind) {
  newgame(1, 1);
  playerinfo.money = 100;
  EXPECT_TRUE(buyitem(row("Mk2 Engine")));
  EXPECT_EQ(playerinfo.engine, 2);
  EXPECT_EQ(playerinfo.money, 0);

  EXPECT_FALSE(buyitem(row("Mk3 Engine")));
  EXPECT_EQ(playerinfo.engine, 2);
  EXPECT_EQ(playerinfo.money, 0);

  playerinfo.money = 300;
  EXPECT_TRUE(buyitem(row("Spray acid gun")));
  EXPECT_EQ(playerinfo.weapon, 3);
  EXPECT_EQ(playerinfo.engine, 2);
  EXPECT_EQ(playerinfo.money, 50);

  // A lesser engine replaces the better one, and costs its price again.
  EXPECT_TRUE(buyitem(row("Mk1 Engine")));
  EXPECT_EQ(playerinfo.engine, 1);
  EXPECT_EQ(playerinfo.money, 50);
  EXPECT_FALSE(buyitem(7));
  EXPECT_FALSE(buyitem(-1));
}

TEST(Ui, CurrentItemNamesTheFittedItemOfTheShownKind) {
  newgame(1, 1);
  for (int i = 0; i < 4; i++) EXPECT_STREQ(currentitemname(i), "Mk1 Engine") << i;
  for (int i = 4; i < 7; i++) EXPECT_STREQ(currentitemname(i), "Acid gun") << i;
  playerinfo.engine = 4;
  playerinfo.weapon = 9;
  EXPECT_STREQ(currentitemname(0), "Mk4 Engine && thrusters");
  EXPECT_STREQ(currentitemname(5), "None");
}

// The dialogs themselves, run in a window with scripted keys and pointer.
class UiDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    if (!startdialogs(why)) GTEST_SKIP() << why;
    started = true;
  }
  void TearDown() override {
    if (!started) return;
    EXPECT_TRUE(scriptdone());
    EXPECT_FALSE(watchdogfired()) << "a dialog stayed open and was closed with Esc";
    stopdialogs();
  }
  // Text of entry `entry` on the screen seen before scripted key `k`.
  std::string seen(size_t k, size_t entry) {
    const auto& screens = seenscreens();
    if (k >= screens.size() || entry >= screens[k].size()) return "<not seen>";
    return screens[k][entry];
  }
  bool started = false;
};

namespace {

// Centres of the buttons and the start level field on the screen.
const int MenuPlay[] = {80, 438}, MenuQuit[] = {392, 438}, MenuField[] = {228, 375};
const int StartPlay[] = {80, 438}, StartShop[] = {232, 438}, StartEndGame[] = {392, 438};
const int ShopPlay[] = {66, 438}, ShopPrev[] = {188, 438}, ShopNext[] = {316, 438},
          ShopBuy[] = {444, 438};

UiAction clickon(const int* at) { return clickat(at[0], at[1]); }

// Replaces the start level field's text and presses Play.
std::vector<UiAction> startfrom(const std::string& text) {
  std::vector<UiAction> keys = {pointat(MenuField[0], MenuField[1], press(KEY_END, 0)),
                                backspacekey(), backspacekey()};
  for (char c : text) keys.push_back(typekey(c));
  keys.push_back(clickon(MenuPlay));
  return keys;
}

}  // namespace

TEST_F(UiDialog, MainMenuOffersHighestLevelAndStartsTheTypedOne) {
  newgame(1, 4);
  scriptinput(startfrom("3"));
  EXPECT_TRUE(uimainmenu());
  EXPECT_EQ(playerinfo.level, 3);
  EXPECT_EQ(seen(0, 9), "4");
  EXPECT_EQ(seen(4, 9), "3");
  EXPECT_EQ(seen(0, 6), "Play");
}

TEST_F(UiDialog, MainMenuStartsLevelOneForChoicesNotReached) {
  for (std::string text : {"0", "9", "", "x"}) {
    newgame(4, 4);
    scriptinput(startfrom(text));
    EXPECT_TRUE(uimainmenu()) << text;
    EXPECT_EQ(playerinfo.level, 1) << text;
  }
}

TEST_F(UiDialog, MainMenuQuitsOnQuitOrEscButKeepsTheChoice) {
  newgame(1, 2);
  scriptinput({clickon(MenuQuit)});
  EXPECT_FALSE(uimainmenu());
  EXPECT_EQ(playerinfo.level, 2);
  scriptinput({esckey()});
  EXPECT_FALSE(uimainmenu());
}

TEST_F(UiDialog, LevelStartPlaysOnEscAndEndsOnEndGame) {
  newgame(2, 2);
  scriptinput({esckey()});
  EXPECT_TRUE(uistartlevel());
  EXPECT_EQ(seen(0, 2), "Entering level 2");
  scriptinput({clickon(StartEndGame)});
  EXPECT_FALSE(uistartlevel());
  scriptinput({clickon(StartPlay)});
  EXPECT_TRUE(uistartlevel());
}

TEST_F(UiDialog, ShopPagesThroughCatalogueAndStopsAtBothEnds) {
  newgame(1, 1);
  std::vector<UiAction> keys = {clickon(StartShop), clickon(ShopPrev)};
  for (int i = 0; i < 7; i++) keys.push_back(clickon(ShopNext));
  keys.push_back(esckey());  // leaves the shop
  keys.push_back(esckey());  // plays the level
  scriptinput(keys);
  EXPECT_TRUE(uistartlevel());

  // Screen 1 is the shop's first page, 2 after Prev, 3..9 after each Next.
  const int shownrow[] = {0, 0, 1, 2, 3, 4, 5, 6, 6};
  for (int k = 1; k <= 9; k++) {
    const ShipItem& item = shipitems[shownrow[k - 1]];
    EXPECT_EQ(seen(k, 9), item.name) << k;
    EXPECT_EQ(seen(k, 11), "$ " + std::to_string(item.price)) << k;
    EXPECT_EQ(seen(k, 13), item.description) << k;
    EXPECT_EQ(seen(k, 15), item.type == ItemEngine ? "Mk1 Engine" : "Acid gun") << k;
    EXPECT_EQ(seen(k, 3), "Money: $ 0") << k;
  }
  EXPECT_EQ(seen(10, 2), "Entering level 1");
}

TEST_F(UiDialog, ShopSellsWhatTheMoneyCoversAndShowsTheResult) {
  newgame(1, 1);
  playerinfo.money = 100;
  scriptinput({clickon(StartShop), clickon(ShopNext), clickon(ShopBuy), enterkey(),
               clickon(ShopNext), clickon(ShopBuy), enterkey(), clickon(ShopPlay),
               clickon(StartPlay)});
  EXPECT_TRUE(uistartlevel());
  EXPECT_EQ(playerinfo.engine, 2);
  EXPECT_EQ(playerinfo.money, 0);

  EXPECT_EQ(seen(2, 3), "Money: $ 100");
  EXPECT_EQ(seen(3, 5), "Mk2 Engine");
  EXPECT_EQ(seen(3, 6), "Bought!");
  EXPECT_EQ(seen(4, 3), "Money: $ 0");
  EXPECT_EQ(seen(4, 15), "Mk2 Engine");
  EXPECT_EQ(seen(6, 5), "Mk3 Engine");
  EXPECT_EQ(seen(6, 6), "Not enough cash");
  EXPECT_EQ(seen(7, 9), "Mk3 Engine");
  EXPECT_EQ(seen(7, 15), "Mk2 Engine");
}

TEST_F(UiDialog, LevelCompleteShowsAndPaysTheShipsBonus) {
  newgame(3, 5);
  Ship* ship = new Ship();
  ship->oxygen = 1.0f;
  ship->hydrogen = 0.5f;
  ship->ammo = 0.0f;
  playership = ship;
  scriptinput({enterkey()});
  uilevelcomplete();
  playership = nullptr;
  delete ship;

  EXPECT_EQ(seen(0, 5), "$ 60");
  EXPECT_EQ(seen(0, 7), "$ 20");
  EXPECT_EQ(seen(0, 9), "$ 10");
  EXPECT_EQ(seen(0, 11), "$ 0");
  EXPECT_EQ(seen(0, 12), "");
  EXPECT_EQ(playerinfo.money, 90);
  EXPECT_EQ(playerinfo.score, 90);
  EXPECT_EQ(playerinfo.maxstartlevel, 4);
}

TEST_F(UiDialog, LevelCompleteAfterLastLevelShowsWinningLine) {
  newgame(6, 3);
  playership = nullptr;  // no ship left to measure: only the completion bonus
  scriptinput({enterkey()});
  uilevelcomplete();
  EXPECT_EQ(seen(0, 5), "$ 120");
  EXPECT_EQ(seen(0, 7), "$ 0");
  EXPECT_EQ(seen(0, 12), "You Won! (Sorry there is no outro!)");
  EXPECT_EQ(playerinfo.money, 120);
  EXPECT_EQ(playerinfo.maxstartlevel, 3);
}
