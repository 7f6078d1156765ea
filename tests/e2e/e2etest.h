#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "e2e/harness.h"

// Base of every end-to-end test: a directory of its own whose run/ is the
// game's working directory (a copy of data.dat and a levels/ folder), the
// game's logs beside it, and screenshots of failures. The game is always
// killed at the end; the directory is removed when the test passed.
class E2ETest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Starts the game in run/.
  void start(const std::vector<std::string>& args, GameOptions options = {});
  // Polls the screen until `seen` holds for it. On time-out records a
  // failure naming `what`, saves the screenshot and returns false.
  bool waitscreen(const std::string& what, const std::function<bool(BITMAP*)>& seen,
                  double timeout = 20);
  // Waits for the game to end and returns its status; on time-out records
  // a failure, kills the game and returns -1.
  int finish(double timeout = 15);
  // Saves the last screenshot looked at as <dir>/<name>.bmp; returns the path.
  std::string saveshot(const std::string& name);

  // Level files in run/levels/.
  void writelevel(int n, const std::string& map, const std::string& objects);
  // The six levels of the game-flow tests: a small cave around an exit
  // base with the ship resting on its pad, and nothing else.
  void writedocklevels();
  // Level 1 of the editor tests, from tests/e2e/data.
  void writeeditorlevel();
  std::string edited();  // run/leveledited.txt

  // A fixture file of tests/e2e/data.
  static std::string fixture(const std::string& name);

  std::string dir, run;
  std::unique_ptr<GameProcess> game;
  Picture last;
  int shots = 0;
};

// ---- What the screens show ---------------------------------------------------

// Dialog button centres.
struct Button {
  int x, y;
};
constexpr Button MenuPlay{80, 438}, MenuQuit{392, 438}, StartField{228, 375};
constexpr Button LevelPlay{80, 438}, LevelShop{232, 438}, LevelEnd{392, 438};
constexpr Button ShopPlay{66, 438}, ShopPrev{188, 438}, ShopNext{316, 438}, ShopBuy{444, 438};
constexpr Button ContinueButton{66, 438};

bool mainmenu(BITMAP* s);
// The main menu's start level field holds exactly `text`.
bool startfield(BITMAP* s, const std::string& text);
bool levelstart(BITMAP* s, int level);
// The shop showing catalogue item `name` with `money` dollars.
bool shoppage(BITMAP* s, const std::string& name, int money);
bool buyresult(BITMAP* s, const std::string& item, const std::string& message);
// A level being played: no dialog on screen.
bool inlevel(BITMAP* s);
bool levelcompletebanner(BITMAP* s);
// The level-complete screen with the four bonuses of a ship that kept full
// stores: completion level x 20, then 20 for each of oxygen, hydrogen, ammo.
bool completescreen(BITMAP* s, int level);
bool winningline(BITMAP* s);
// The editor with its cave drawn (the editor fixture's first chamber).
bool editorready(BITMAP* s);
