// From the command line and the main menu through the shop and every level,
// each with its ship resting on the exit pad, to the winning line.

#include "common.h"
#include "data.h"
#include "e2e/harness.h"
#include "notices.h"
#include "gamedata.h"

using namespace screens;

namespace {

Seen offering(const std::string& level) { return [level](BITMAP* s) { return mainmenu(s) && startfield(s, level); }; }

Seen shopat(const std::string& item, const std::string& message = "") {
  return [item, message](BITMAP* s) {
    return showstext(s, df(), "Honest Vosk's spacefaring Ltd", 8, 8) && showstext(s, df(), item, 96, 128) &&
           (message.empty() ? showstext(s, df(), "Money: $ 0", 432, 8) : showstext(s, df(), message, 96, 158));
  };
}

// Completion bonus level x 20, then 20 each for full oxygen, hydrogen and ammo.
Seen completescreen(int level) {
  return [level](BITMAP* s) {
    bool shown = showstext(s, df(), "Level Complete", 8, 8);
    for (int row = 0; row < 4; row++)
      shown = shown && showstext(s, df(), "$ " + std::to_string(row ? 20 : level * 20), 196, 128 + 30 * row);
    return shown;
  };
}

class GameFlow : public E2ETest {
 protected:
  void SetUp() override {
    E2ETest::SetUp();
    // A small cave round an exit base, the ship's rim a pixel above its pad.
    int shipy = 600 - static_cast<BITMAP*>(datafile[DataBaseExit].dat)->h - 23 - 1;
    writelevels(NumLevels, "1 4 320 440 480 440 480 600 320 600\n",
                "S 400 " + std::to_string(shipy) + "\nT 0 400 600\n");
  }
};

// What the shop sells is the dialogs' own test; here it idles and answers the mouse.
TEST_F(GameFlow, DockingThroughEveryLevelWinsAndTheShopWaitsIdle) {
  start("");
  ASSERT_TRUE(press(PlayButton, mainmenu));
  for (int level = 1; level <= NumLevels; level++) {
    SCOPED_TRACE("level " + std::to_string(level));
    if (level == 1) {
      ASSERT_TRUE(press(ShopButton, levelstart(1)));
      ASSERT_TRUE(waitfor("shop", shopat("Mk1 Engine")));
      EXPECT_LT(idleload(), 0.05) << "share of a core a waiting shop takes";
      ASSERT_TRUE(press(ShopNext, shopat("Mk1 Engine")));
      ASSERT_TRUE(press(ShopBuy, shopat("Mk2 Engine")));
      ASSERT_TRUE(press(ContinueButton, shopat("Mk2 Engine", "Not enough cash")));
      ASSERT_TRUE(press(ShopPlay, shopat("Mk2 Engine")));
    }
    ASSERT_TRUE(press(PlayButton, levelstart(level)));
    ASSERT_TRUE(waitfor("level in play", inlevel));
    // A busy machine can run through the banner's four seconds between two looks.
    xdo("keydown space");
    bool docked = waitfor("\"Level complete!\" banner or the level-complete screen", [level](BITMAP* s) {
      int x = 320 - text_length(font, "Level complete!") / 2;
      return showstext(s, font, "Level complete!", x, 8) || completescreen(level)(s);
    });
    xdo("keyup space");
    ASSERT_TRUE(docked);
    ASSERT_TRUE(waitfor("level-complete screen with its four bonuses", completescreen(level)));
    bool won = showstext(last.get(), df(), "You Won! (Sorry there is no outro!)", 196, 248);
    EXPECT_EQ(won, level == NumLevels) << "the winning line";
    ASSERT_TRUE(press(ContinueButton, completescreen(level)));
  }
  ASSERT_TRUE(press(QuitButton, offering(std::to_string(NumLevels))));
  EXPECT_EQ(finish(), 0);
}

// Enter presses the button a dialog opens on, or the one the player clicked last.
TEST_F(GameFlow, EnterPressesTheChosenButtonWhereverThePointerIs) {
  pointer = {QuitButton.x + 40, QuitButton.y + 40};  // where the game does not know it is
  const std::string last = std::to_string(NumLevels);
  start("play 99");  // offers no more levels than there are
  ASSERT_TRUE(waitfor("main menu offering the last level", offering(last)));
  EXPECT_LT(idleload(), 0.05) << "share of a core a waiting main menu takes";
  ASSERT_TRUE(enter(mainmenu));
  // Over Play and then off it onto empty space.
  mousemove(PlayButton.x + 40, PlayButton.y + 40);
  mousemove(600, 200);
  ASSERT_TRUE(enter(levelstart(NumLevels)));
  ASSERT_TRUE(waitfor("last level in play", inlevel));
  ASSERT_TRUE(holduntil("Escape", "main menu after Esc", offering(last)));  // not a retry of the level
  // Typed with the pointer on the start field, and Enter while it is there.
  ASSERT_TRUE(typestartlevel("2"));
  ASSERT_TRUE(enter(mainmenu));
  ASSERT_TRUE(waitfor("\"Entering level 2\"", levelstart(2)));
  // Pressed on End Game and let go beside it: not pressed, but Enter's now.
  ASSERT_TRUE(pointat(EndButton));
  xdo("mousedown 1 sleep 0.3");
  mousemove(600, 200);
  xdo("mouseup 1");
  ASSERT_TRUE(waitfor("End Game chosen", [](BITMAP* s) { return levelstart(2)(s) && focused(s, EndButton); }));
  ASSERT_TRUE(enter(levelstart(2)));
  ASSERT_TRUE(waitfor("main menu after End Game", mainmenu));
  xdo("key Escape");
  EXPECT_EQ(finish(), 0);
}

// A ship falling through a tall empty cave, so the picture keeps changing.
class Pause : public E2ETest {
 protected:
  void SetUp() override {
    E2ETest::SetUp();
    writelevels(1, "1 4 100 100 1100 100 1100 2400 100 2400\n", "S 600 200\n");
  }
};

// Two grabs `seconds` apart differ.
bool moving(double seconds) {
  Picture a = grabscreen();
  sleepfor(seconds);
  return !samepicture(a.get(), grabscreen().get());
}

// Words over the view, in the band below the panel.
Seen words(const std::string& text) {
  return [text](BITMAP* s) { return showstextin(s, df(), text, {0, StopWordsTop, ScreenWidth, 40}); };
}
bool pausedtext(BITMAP* s) { return words("Paused")(s); }
bool maptext(BITMAP* s) { return showstextin(s, df(), "M or P: back to the level", {0, 440, ScreenWidth, 40}); }
bool goingon(BITMAP* s) { return !pausedtext(s) && !maptext(s) && moving(0.3); }

// Each key is held until the game shows it took it: held, it acts once.
TEST_F(Pause, POrMFreezesTheLevelUntilPressedAgainAndEscWhilePausedLeaves) {
  start("");
  ASSERT_TRUE(enter(mainmenu));
  ASSERT_TRUE(enter(levelstart(1)));
  ASSERT_TRUE(waitfor("falling ship", [](BITMAP* s) { return inlevel(s) && moving(0.3); }));
  ASSERT_TRUE(holduntil("m", "the map", maptext));
  EXPECT_FALSE(moving(1)) << "the ship moves under the map";
  ASSERT_TRUE(holduntil("m", "level running again after the map", goingon));
  ASSERT_TRUE(holduntil("p", "\"Paused\"", pausedtext));
  EXPECT_FALSE(moving(1)) << "the picture moves while paused";
  ASSERT_TRUE(holduntil("p", "level running again", goingon));
  ASSERT_TRUE(holduntil("p", "\"Paused\" again", pausedtext));
  // The last seconds run under words a busy machine may show only briefly.
  ASSERT_TRUE(holduntil("Escape", "\"Leaving the level\"",
                        [](BITMAP* s) { return words("Leaving the level")(s) || mainmenu(s); }));
  ASSERT_TRUE(waitfor("main menu after Esc", mainmenu));
  xdo("key Escape");
  EXPECT_EQ(finish(), 0);
}

using CommandLine = E2ETest;

// A level that is no number offers the first; a broken level, played or
// edited, ends the game saying which file and what was wrong.
TEST_F(CommandLine, LevelErrorsNameTheFileAndTheFaultOnASecondLine) {
  start("e 7");  // only the editor loads a level at start-up
  EXPECT_EQ(finish(), 2);
  EXPECT_NE(readfile(dir + "/game.err").find("Failed to load map\nlevels/level7.txt: cannot open\n"), std::string::npos);
  writefile(run + "/levels/level1.txt", "1 3 100 100 500 100");
  start("-x abc");
  ASSERT_TRUE(enter(offering("1")));
  ASSERT_TRUE(enter(levelstart(1)));
  EXPECT_EQ(finish(), 2);
  EXPECT_NE(readfile(dir + "/game.err")
                .find("Failed to load map\nlevels/level1.txt: polygon 1, point 3: x: the file ends early\n"),
            std::string::npos);
}

}  // namespace
