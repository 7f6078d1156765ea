// SIGTERM, SIGINT and SIGHUP in a level, the menu and the editor end the game by the signal.

#include <signal.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "common.h"
#include "data.h"
#include "e2e/harness.h"
#include "gamedata.h"

using namespace screens;

namespace {

// Ten rounds of SIGTERM, then another signal; a hang runs far into the five seconds.
const int Rounds = 10;
const double HangSeconds = 5;

class Signals : public E2ETest {
 protected:
  void SetUp() override {
    E2ETest::SetUp();
    // A small cave, the ship resting on its start base.
    int shipy = 600 - static_cast<BITMAP*>(datafile[DataBaseStart].dat)->h - 23 - 1;
    writelevels(1, "1 4 220 300 580 300 580 600 220 600\n",
                "S 300 " + std::to_string(shipy) + "\nT 5 300 600\nT 0 500 600\n");
  }
  void TearDown() override {
    std::cout << "[ e2e ] the slowest end after a signal took " << slowest << " s\n";
    E2ETest::TearDown();
  }

  // Each round starts the game with `args`, lets `reach` get it to the place,
  // and sends the signal a little later each time, so that it lands anywhere
  // in a frame or a pass; the game must end by it, and the editor save nothing.
  void rounds(const std::string& args, const std::function<bool()>& reach, int last) {
    for (int round = 0; round <= Rounds; round++) {
      start(args);
      ASSERT_TRUE(reach());
      sleepfor(0.037 * round);
      const double sent = now();
      const int signal = round < Rounds ? SIGTERM : last;
      kill(pid, signal);
      EXPECT_EQ(finish(HangSeconds), 128 + signal) << "round " << round << ": " << readfile(dir + "/game.err");
      slowest = std::max(slowest, now() - sent);
      EXPECT_FALSE(std::filesystem::exists(run + "/leveledited.txt")) << "round " << round;
      sleepfor(0.3);  // Xvfb may refuse a client that comes straight after one it lost
    }
  }

  double slowest = 0;
};

}  // namespace

TEST_F(Signals, TermOrIntInALevelEndsTheGameByTheSignal) {
  rounds("", [this] { return enter(mainmenu) && enter(levelstart(1)) && waitfor("the level", cave); }, SIGINT);
}

TEST_F(Signals, TermOrHupInTheMainMenuEndsTheGameByTheSignal) {
  rounds("", [this] { return waitfor("the main menu", mainmenu); }, SIGHUP);
}

TEST_F(Signals, TermOrHupInTheEditorEndsItByTheSignalWithoutSaving) {
  rounds("e 1", [this] { return waitfor("the editor", cave); }, SIGHUP);
}
