// The game's way from the main menu through the level-start screen, the
// shop, the levels and the level-complete screen, played with the mouse and
// the keyboard on levels where the ship starts resting on the exit pad.

#include "e2e/e2etest.h"

namespace {

class GameFlow : public E2ETest {
 protected:
  void SetUp() override {
    E2ETest::SetUp();
    if (!HasFatalFailure()) writedocklevels();
  }

  // Clears the main menu's start field and types `text` into it.
  void typestartlevel(const std::string& text) {
    mousemove(StartField.x, StartField.y);
    tapkey("End");
    tapkey("BackSpace");
    tapkey("BackSpace");
    for (char c : text) tapkey(std::string(1, c));
    mousemove(MenuPlay.x, MenuPlay.y);  // the field loses the focus and its caret
  }

  // Docks with SPACE held until the banner shows, then waits for the
  // level-complete screen.
  bool dock(int level) {
    if (!waitscreen("level " + std::to_string(level) + " in play", inlevel)) return false;
    xdo({"keydown", "space"});
    bool banner = waitscreen("\"Level complete!\" banner on level " + std::to_string(level),
                             levelcompletebanner);
    xdo({"keyup", "space"});
    return banner && waitscreen("level-complete screen of level " + std::to_string(level) +
                                    " with its four bonuses",
                                [level](BITMAP* s) { return completescreen(s, level); });
  }
};

TEST_F(GameFlow, TypedStartLevelIsHonouredAndOutOfRangeOneStartsLevelOne) {
  start({"x", "4"});
  ASSERT_TRUE(waitscreen("main menu offering level 4",
                         [](BITMAP* s) { return mainmenu(s) && startfield(s, "4"); }));

  typestartlevel("3");
  ASSERT_TRUE(waitscreen("start field holding 3", [](BITMAP* s) { return startfield(s, "3"); }));
  click(MenuPlay.x, MenuPlay.y);
  ASSERT_TRUE(waitscreen("\"Entering level 3\"", [](BITMAP* s) { return levelstart(s, 3); }));

  // End Game goes back to the menu, which offers the highest level again.
  click(LevelEnd.x, LevelEnd.y);
  ASSERT_TRUE(waitscreen("main menu offering level 4 again",
                         [](BITMAP* s) { return mainmenu(s) && startfield(s, "4"); }));

  typestartlevel("9");
  ASSERT_TRUE(waitscreen("start field holding 9", [](BITMAP* s) { return startfield(s, "9"); }));
  click(MenuPlay.x, MenuPlay.y);
  ASSERT_TRUE(waitscreen("\"Entering level 1\" for a start level above 4",
                         [](BITMAP* s) { return levelstart(s, 1); }));

  click(LevelEnd.x, LevelEnd.y);
  ASSERT_TRUE(waitscreen("main menu", mainmenu));
  click(MenuQuit.x, MenuQuit.y);
  EXPECT_EQ(finish(), 0);
}

TEST_F(GameFlow, ShopPagesAndRefusesWhatThePlayerCannotAffordThenEscEndsTheLevel) {
  start({});
  ASSERT_TRUE(waitscreen("main menu offering level 1",
                         [](BITMAP* s) { return mainmenu(s) && startfield(s, "1"); }));
  click(MenuPlay.x, MenuPlay.y);
  ASSERT_TRUE(waitscreen("\"Entering level 1\"", [](BITMAP* s) { return levelstart(s, 1); }));

  click(LevelShop.x, LevelShop.y);
  ASSERT_TRUE(waitscreen("shop at Mk1 Engine with $ 0",
                         [](BITMAP* s) { return shoppage(s, "Mk1 Engine", 0); }));
  click(ShopNext.x, ShopNext.y);
  ASSERT_TRUE(waitscreen("shop at Mk2 Engine", [](BITMAP* s) { return shoppage(s, "Mk2 Engine", 0); }));
  click(ShopPrev.x, ShopPrev.y);
  ASSERT_TRUE(waitscreen("shop back at Mk1 Engine",
                         [](BITMAP* s) { return shoppage(s, "Mk1 Engine", 0); }));
  click(ShopNext.x, ShopNext.y);
  ASSERT_TRUE(waitscreen("shop at Mk2 Engine", [](BITMAP* s) { return shoppage(s, "Mk2 Engine", 0); }));

  click(ShopBuy.x, ShopBuy.y);
  ASSERT_TRUE(waitscreen("\"Not enough cash\" for the $ 100 Mk2 Engine",
                         [](BITMAP* s) { return buyresult(s, "Mk2 Engine", "Not enough cash"); }));
  click(ContinueButton.x, ContinueButton.y);
  ASSERT_TRUE(waitscreen("shop still at Mk2 Engine with $ 0, Mk1 Engine still fitted",
                         [](BITMAP* s) {
                           return shoppage(s, "Mk2 Engine", 0) &&
                                  showstext(s, dialogfont(), "Mk1 Engine", 96, 340);
                         }));

  click(ShopPlay.x, ShopPlay.y);
  ASSERT_TRUE(waitscreen("\"Entering level 1\" after the shop",
                         [](BITMAP* s) { return levelstart(s, 1); }));
  click(LevelPlay.x, LevelPlay.y);
  ASSERT_TRUE(waitscreen("level 1 in play", inlevel));

  // Esc ends the level some seconds later, and the menu follows, not a retry.
  double pressed = now();
  holdkey("Escape", 0.2);
  ASSERT_TRUE(waitscreen("main menu after Esc in the level", mainmenu));
  EXPECT_GT(now() - pressed, 1.5) << "the level should run on for a while after Esc";

  click(MenuQuit.x, MenuQuit.y);
  EXPECT_EQ(finish(), 0);
}

TEST_F(GameFlow, DockingThroughAllSixLevelsWinsAndReturnsToTheMenu) {
  start({});
  ASSERT_TRUE(waitscreen("main menu", mainmenu));
  click(MenuPlay.x, MenuPlay.y);
  for (int level = 1; level <= 6; level++) {
    ASSERT_TRUE(waitscreen("\"Entering level " + std::to_string(level) + "\"",
                           [level](BITMAP* s) { return levelstart(s, level); }));
    click(LevelPlay.x, LevelPlay.y);
    ASSERT_TRUE(dock(level));
    if (level < 6)
      EXPECT_LT(fractionof(last.get(), {196, 248, 436, 20}, 255, 255, 255), 0.001)
          << "something shows on the winning line's place after level " << level;
    else
      EXPECT_TRUE(winningline(last.get())) << "no winning line after the sixth level";
    click(ContinueButton.x, ContinueButton.y);
  }
  // Back at the menu, which now offers the last level reached.
  ASSERT_TRUE(waitscreen("main menu offering level 6 after the won game",
                         [](BITMAP* s) { return mainmenu(s) && startfield(s, "6"); }));
  click(MenuQuit.x, MenuQuit.y);
  EXPECT_EQ(finish(), 0);
}

}  // namespace
