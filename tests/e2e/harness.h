#pragma once

// Drives the staged game in the test display: input through xdotool, the screen through xwd.

#include <allegro.h>
#include <gtest/gtest.h>
#include <sys/types.h>

#include <functional>
#include <memory>
#include <string>

#include "support/testsupport.h"

struct Area { int x, y, w, h; };
struct Button { const char* name; int x, y, w, h; };
constexpr Button PlayButton{"Play", 8, 400, 144, 76}, QuitButton{"Quit", 320, 400, 144, 76},
    ShopButton{"Buy Stuff", 160, 400, 144, 76}, EndButton{"End Game", 320, 400, 144, 76},
    ShopPlay{"Play", 8, 400, 116, 76},
    ShopNext{"Next", 256, 400, 120, 76}, ShopBuy{"Buy", 384, 400, 120, 76},
    ContinueButton{"Continue", 8, 400, 116, 76};

struct BitmapDeleter { void operator()(BITMAP* b) const { destroy_bitmap(b); } };
using Picture = std::unique_ptr<BITMAP, BitmapDeleter>;
using Seen = std::function<bool(BITMAP*)>;

// A shell command's standard output and its exit status (-1 for a signal).
struct Ran { std::string out; int status; };
Ran shell(const std::string& command);
std::string shellword(const std::string& s);  // quoted for the shell

void xdo(const std::string& args);  // runs xdotool; a failure is recorded
void mousemove(int x, int y);
void holdkey(const std::string& name, double seconds = 0.2);  // for keys the game polls
void sleepfor(double seconds);
double now();
Picture grabscreen();  // the display as a 32-bit memory bitmap, or null

// White `text` in font `f` at (x, y) give or take a pixel, or anywhere in `a`; the rest of its box not.
bool showstext(BITMAP* s, FONT* f, const std::string& text, int x, int y);
bool showstextin(BITMAP* s, FONT* f, const std::string& text, Area a);
double fractionof(BITMAP* s, Area a, int r, int g, int b, int tol = 24);  // of `a` near the colour
bool samepicture(BITMAP* a, BITMAP* b);  // two grabs, both there and alike
// The main menu's start field shows `text`, and neither anything else nor the caret.
bool startfield(BITMAP* s, const std::string& text);
// The button shows the dialog's dotted focus frame: Enter presses it.
bool focused(BITMAP* s, const Button& b);

// The game's screens, read in the data file's font (E2ETest::SetUp loads it).
namespace screens {
FONT* df();
bool mainmenu(BITMAP* s);
Seen levelstart(int level);  // "Entering level N"
bool inlevel(BITMAP* s);     // no dialog's brown on screen
bool cave(BITMAP* s);        // nor all black: a level or the editor has drawn its cave
}  // namespace screens

// Each test's directory holds run/ (data.dat, levels/), the game's logs and the screens of failures.
class E2ETest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  void start(const std::string& args);
  // Runs a shell command as the game in a process group of its own, its output to game.out and
  // game.err in `dir`; a game the X server refused is started again.
  void launch(const std::string& command);
  bool running();
  void killgame();
  int finish(double timeout = 20);  // exit status; -1 (a failure) on time-out

  bool seenwithin(const Seen& seen, double timeout);
  bool waitfor(const std::string& what, const Seen& seen, double timeout = 20);
  bool failed(const std::string& what);  // records a failure, saves the screen
  std::string saveshot();  // saves the last screen looked at; its path
  // Waits for the screen `before`, points at the button and clicks until the dialog shows it
  // held (a loaded machine can lose a move or press), lets go, waits for the screen to change.
  bool press(const Button& b, const Seen& before);
  bool pointat(const Button& b);
  // Waits for the screen `before`, presses Enter and waits for the screen to change.
  bool enter(const Seen& before);
  // Holds a key the game polls until the screen shows `seen`, however late the game notices it.
  bool holduntil(const std::string& key, const std::string& what, const Seen& seen);
  // Holds a key the game polls (Esc in the editor) until the game ends; its exit status.
  int finishholding(const std::string& key);
  // Types into the main menu's start field with the pointer on it, and leaves it there.
  bool typestartlevel(const std::string& digit);
  // The game's processor time so far, and its share of one core over `seconds` of waiting.
  double cpuseconds();
  double idleload(double seconds = 5);

  void writelevels(int count, const std::string& map, const std::string& objects);
  std::string edited() { return readfile(run + "/leveledited.txt"); }

  std::string dir, run;
  struct { int x = 320, y = 240; } pointer;  // where start() leaves the pointer
  pid_t pid = -1;
  int status = -1, shots = 0;
  Picture last;
};
