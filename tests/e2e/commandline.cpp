// How the command line picks the game or the editor and the highest start
// level, and how start-up failures end the program.

#include <filesystem>

#include "e2e/e2etest.h"

namespace {

class CommandLine : public E2ETest {
 protected:
  void SetUp() override {
    E2ETest::SetUp();
    if (!HasFatalFailure()) writedocklevels();
  }

  // Runs the game to its end without input; returns its status.
  int runtoend(const std::vector<std::string>& args, GameOptions options = {}) {
    start(args, options);
    return finish(20);
  }
};

TEST_F(CommandLine, LowerCaseEStartsTheEditorWhichFailsOnMissingLevels) {
  // Level 0 has no files, nor has level 7: the editor cannot build them.
  for (const char* word : {"edit", "e"}) {
    for (const char* level : {"0", "7"}) {
      SCOPED_TRACE(std::string(word) + " " + level);
      EXPECT_EQ(runtoend({word, level}), 2);
      EXPECT_NE(game->errtext().find("Failed to load map"), std::string::npos) << game->errtext();
    }
  }
}

TEST_F(CommandLine, UpperCaseEAndDashStartTheGameWithTheGivenHighestLevel) {
  start({"E", "2"});
  ASSERT_TRUE(waitscreen("main menu offering level 2",
                         [](BITMAP* s) { return mainmenu(s) && startfield(s, "2"); }));
  tapkey("Escape");
  EXPECT_EQ(finish(), 0);

  start({"-x"});
  ASSERT_TRUE(waitscreen("main menu offering level 1",
                         [](BITMAP* s) { return mainmenu(s) && startfield(s, "1"); }));
  tapkey("Escape");
  EXPECT_EQ(finish(), 0);
}

TEST_F(CommandLine, NonNumericLevelOffersLevelZeroAndStartsAtLevelOne) {
  start({"x", "abc"});
  ASSERT_TRUE(waitscreen("main menu offering level 0",
                         [](BITMAP* s) { return mainmenu(s) && startfield(s, "0"); }));
  mousemove(MenuPlay.x, MenuPlay.y);
  click(MenuPlay.x, MenuPlay.y);
  ASSERT_TRUE(waitscreen("\"Entering level 1\"", [](BITMAP* s) { return levelstart(s, 1); }));
  click(LevelEnd.x, LevelEnd.y);
  ASSERT_TRUE(waitscreen("main menu", mainmenu));
  click(MenuQuit.x, MenuQuit.y);
  EXPECT_EQ(finish(), 0);
}

TEST_F(CommandLine, MissingLevelFileEndsTheGameWithFailedToLoadMap) {
  std::filesystem::remove(run + "/levels/level1.txt");
  start({});
  ASSERT_TRUE(waitscreen("main menu", mainmenu));
  click(MenuPlay.x, MenuPlay.y);
  ASSERT_TRUE(waitscreen("\"Entering level 1\"", [](BITMAP* s) { return levelstart(s, 1); }));
  click(LevelPlay.x, LevelPlay.y);
  EXPECT_EQ(finish(), 2);
  EXPECT_NE(game->errtext().find("Failed to load map"), std::string::npos) << game->errtext();
}

TEST_F(CommandLine, NoDisplayOrNoDataFileEndsWithStatusOne) {
  EXPECT_EQ(runtoend({}, {false, true}), 1);
  EXPECT_NE(game->errtext().find("no display"), std::string::npos) << game->errtext();

  std::filesystem::remove(run + "/data.dat");
  EXPECT_EQ(runtoend({"e"}), 1);
  EXPECT_NE(game->errtext().find("Failed to load data."), std::string::npos) << game->errtext();
}

}  // namespace
