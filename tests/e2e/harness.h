#pragma once

#include <allegro.h>

#include <sys/types.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

// Drives the real staged game in the test display: starts it in a working
// directory of its own, sends it keys and mouse input through xdotool,
// grabs the screen and looks for text and shapes in the picture.

// ---- The game process ------------------------------------------------------

struct GameOptions {
  // Run without the right to override file permissions, so that a
  // read-only directory stays read-only even when the tests run as root.
  bool nowriteaccess = false;
  // Run with no display server named in the environment.
  bool nodisplay = false;
};

class GameProcess {
 public:
  // Starts MARSFLYER_RUN_DIR/marsflyer with `args` in `workdir`; standard
  // output and error go to `logprefix`.out and .err.
  GameProcess(const std::string& workdir, const std::vector<std::string>& args,
              const std::string& logprefix, GameOptions options = {});
  ~GameProcess();  // kills the game if it still runs
  GameProcess(const GameProcess&) = delete;
  GameProcess& operator=(const GameProcess&) = delete;

  bool running();
  // Waits up to `seconds` for the game to end. Returns its exit status, or
  // 128 + signal when a signal ended it, or -1 when it is still running.
  int waitexit(double seconds);
  // Kills the game (its own process group) and reaps it.
  void kill();
  std::string errtext() const;
  std::string outtext() const;
  std::string describe() const;  // command line, for messages

 private:
  pid_t pid = -1;
  int status = -1;
  std::string logprefix;
  std::string command;
};

// True when a child process that gives up the right to override file
// permissions is refused a file in a read-only directory.
bool canrunwithoutwriteaccess();

// ---- Input -----------------------------------------------------------------

// Runs xdotool with the given words (several commands may be chained, with
// "sleep S" between them); returns false when it fails.
bool xdo(const std::vector<std::string>& words);
void mousemove(int x, int y);
// Holds the left button long enough for a polling loop and a dialog to see it.
void click(int x, int y);
// Holds a key (an X key name such as "space", "Escape", "percent") for `seconds`.
void holdkey(const std::string& name, double seconds);
// Press and release as fast as xdotool does; enough for the keyboard buffer.
void tapkey(const std::string& name);
// Lets go of every key and button a test may have left down.
void releaseinput();
void sleepfor(double seconds);

// ---- The screen ------------------------------------------------------------

struct BitmapDeleter {
  void operator()(BITMAP* b) const { destroy_bitmap(b); }
};
using Picture = std::unique_ptr<BITMAP, BitmapDeleter>;

// The whole display as a 32-bit memory bitmap; null when it cannot be read.
Picture grabscreen();
// Seconds since the first call; for time-outs.
double now();

struct Area {
  int x, y, w, h;
};

// Colours compare equal when no channel differs by more than this.
constexpr int ColourTolerance = 24;
int white32();
bool nearcolour(int c32, int r, int g, int b, int tol = ColourTolerance);

// Whether `text` in font `f` and colour white appears with its top-left
// corner at (x, y), give or take `slack` pixels in each direction: every
// pixel of the glyphs must be white and the pixels between them must not be.
bool showstext(BITMAP* shot, FONT* f, const std::string& text, int x, int y, int slack = 1);
// The same test anywhere in `area`.
bool showstextin(BITMAP* shot, FONT* f, const std::string& text, Area area);
// Fraction of the pixels of `area` that are within tolerance of (r, g, b).
double fractionof(BITMAP* shot, Area area, int r, int g, int b, int tol = ColourTolerance);
// Whether two pictures are equal in every pixel of `area`.
bool samepixels(BITMAP* a, BITMAP* b, Area area);
// The centre of the best white circle of radius `r` whose centre lies in
// `area`, and the fraction of its rim found white.
struct CircleMatch {
  int x = 0, y = 0;
  double score = 0;
};
CircleMatch findcircle(BITMAP* shot, int r, Area area);

// ---- Fonts -----------------------------------------------------------------

// The dialog font (data file entry 9) and Allegro's built-in font, loaded
// from the staged data.dat in this process.
FONT* dialogfont();
FONT* defaultfont();

// Height in pixels of the exit base's picture (data file entry 3).
int exitbaseheight();
