// SIGTERM, SIGINT and SIGHUP in a level, the main menu and the editor: the
// program ends by the signal (a shell sees 128 + its number), never by an
// abort and never hanging, and the editor saves nothing.

#include <signal.h>

#include <algorithm>
#include <filesystem>

#include "common.h"
#include "data.h"
#include "e2e/harness.h"
#include "gamedata.h"

namespace {

FONT* df() { return static_cast<FONT*>(datafile[DataFont].dat); }  // loaded by SetUp

bool mainmenu(BITMAP* s) { return showstext(s, df(), "Background", 8, 128) && showstext(s, df(), "Start Level", 8, 360); }
bool levelstart(BITMAP* s) { return showstext(s, df(), "Entering level 1", 8, 8); }
// No dialog's brown, and not all black: a level or the editor has drawn the cave.
bool cave(BITMAP* s) {
  return fractionof(s, {0, 0, 640, 480}, 80, 60, 0, 8) < 0.05 && fractionof(s, {0, 0, 640, 480}, 0, 0, 0, 4) < 0.9;
}

// Ten rounds of SIGTERM, then one of another signal; a hang runs into the
// five seconds, far beyond the fraction of a second the game takes.
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

  // Sends `signal`, a little later in each round after the screen showed,
  // so that it lands anywhere in a frame or a pass; the game ends by it.
  void stop(int signal, int round) {
    sleepfor(0.037 * round);
    const double sent = now();
    kill(pid, signal);
    EXPECT_EQ(finish(HangSeconds), 128 + signal) << "round " << round << ": " << readfile(dir + "/game.err");
    slowest = std::max(slowest, now() - sent);
    sleepfor(0.3);  // Xvfb may refuse a client that comes straight after one it lost
  }

  void TearDown() override {
    std::cout << "[ e2e ] the slowest end after a signal took " << slowest << " s\n";
    E2ETest::TearDown();
  }

  double slowest = 0;
};

}  // namespace

TEST_F(Signals, TermOrIntInALevelEndsTheGameByTheSignal) {
  for (int round = 0; round <= Rounds; round++) {
    start("");
    ASSERT_TRUE(enter(mainmenu));
    ASSERT_TRUE(enter(levelstart));
    ASSERT_TRUE(waitfor("the level", cave));
    stop(round < Rounds ? SIGTERM : SIGINT, round);
  }
}

TEST_F(Signals, TermOrHupInTheMainMenuEndsTheGameByTheSignal) {
  for (int round = 0; round <= Rounds; round++) {
    start("");
    ASSERT_TRUE(waitfor("the main menu", mainmenu));
    stop(round < Rounds ? SIGTERM : SIGHUP, round);
  }
}

TEST_F(Signals, TermOrHupInTheEditorEndsItByTheSignalWithoutSaving) {
  for (int round = 0; round <= Rounds; round++) {
    start("e 1");
    ASSERT_TRUE(waitfor("the editor", cave));
    stop(round < Rounds ? SIGTERM : SIGHUP, round);
    EXPECT_FALSE(std::filesystem::exists(run + "/leveledited.txt")) << "round " << round;
  }
}
