#include "e2e/e2etest.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "support/testsupport.h"

namespace fs = std::filesystem;

namespace {

// Where the dock levels put the exit base; the ship rests on its pad.
const int DockX = 400;
const int DockY = 600;
const int ShipRadius = 23;

// Set MARSFLYER_E2E_SHOTS to keep every test's directory with a picture of
// each screen the test waited for.
bool keepshots() { return getenv("MARSFLYER_E2E_SHOTS") != nullptr; }

// Dialog colours: white text on dark brown.
const int Brown[3] = {80, 60, 0};

}  // namespace

void E2ETest::SetUp() {
  const char* display = getenv("DISPLAY");
  ASSERT_TRUE(display && *display) << "no DISPLAY: run the end-to-end tests through ./run-tests, "
                                      "which starts a 640x480 virtual display";
  Picture probe = grabscreen();
  ASSERT_TRUE(probe) << "cannot read the screen of display " << display << " with xwd";
  ASSERT_TRUE(probe->w == 640 && probe->h == 480)
      << "the display must be 640x480, is " << probe->w << "x" << probe->h;
  releaseinput();
  dir = maketempdir();
  run = dir + "/run";
  fs::create_directories(run + "/levels");
  fs::copy_file(rundir() + "/data.dat", run + "/data.dat");
}

void E2ETest::TearDown() {
  if (game) game->kill();
  game.reset();
  releaseinput();
  chmod(run.c_str(), 0755);
  if (HasFailure() || keepshots()) {
    std::string path = saveshot("failure");
    std::cout << "[ e2e ] kept " << dir << " (game logs game.out/game.err; last screen " << path
              << ")" << std::endl;
  } else {
    std::error_code ignored;
    fs::remove_all(dir, ignored);
  }
}

void E2ETest::start(const std::vector<std::string>& args, GameOptions options) {
  // Allegro follows the pointer by its motion from wherever it was when the
  // game started, taking that place as the screen's centre; starting with
  // the pointer there makes its coordinates the screen's.
  mousemove(320, 240);
  game = std::make_unique<GameProcess>(run, args, dir + "/game", options);
}

bool E2ETest::waitscreen(const std::string& what, const std::function<bool(BITMAP*)>& seen,
                         double timeout) {
  double end = now() + timeout;
  for (;;) {
    Picture shot = grabscreen();
    if (shot) last = std::move(shot);
    if (last && seen(last.get())) {
      if (keepshots()) saveshot("seen" + std::to_string(++shots));
      return true;
    }
    if (now() > end) break;
    if (game && !game->running()) {
      ADD_FAILURE() << "the game (" << game->describe() << ") ended while waiting for " << what
                    << "; stderr: " << game->errtext();
      return false;
    }
    sleepfor(0.1);
  }
  std::string path = saveshot("timeout" + std::to_string(++shots));
  ADD_FAILURE() << "no " << what << " on screen within " << timeout << " s; screen saved as "
                << path;
  return false;
}

int E2ETest::finish(double timeout) {
  int status = game->waitexit(timeout);
  if (status == -1) {
    if (Picture shot = grabscreen()) last = std::move(shot);
    std::string path = saveshot("stuck");
    ADD_FAILURE() << "the game (" << game->describe() << ") did not end within " << timeout
                  << " s; screen saved as " << path;
    game->kill();
  }
  return status;
}

std::string E2ETest::saveshot(const std::string& name) {
  if (!last) return "(no screenshot)";
  std::string path = dir + "/" + name + ".bmp";
  save_bitmap(path.c_str(), last.get(), nullptr);
  return path;
}

void E2ETest::writelevel(int n, const std::string& map, const std::string& objects) {
  std::string base = run + "/levels/level" + std::to_string(n);
  writefile(base + ".txt", map);
  writefile(base + "objects.txt", objects);
}

void E2ETest::writedocklevels() {
  // The ship's rim one pixel above the pad's top row: it settles at once.
  std::ostringstream objects;
  objects << "S " << DockX << " " << DockY - exitbaseheight() - ShipRadius - 1 << "\n"
          << "T 0 " << DockX << " " << DockY << "\n";
  std::string map = readfile(fixture("dockcave.txt"));
  for (int n = 1; n <= 6; n++) writelevel(n, map, objects.str());
}

void E2ETest::writeeditorlevel() {
  writelevel(1, readfile(fixture("editorcave.txt")), readfile(fixture("editorobjects.txt")));
}

std::string E2ETest::edited() { return readfile(run + "/leveledited.txt"); }

std::string E2ETest::fixture(const std::string& name) {
  return sourcedir() + "/tests/e2e/data/" + name;
}

// ---- screens ----

namespace {

FONT* df() { return dialogfont(); }

std::string dollars(int n) { return "$ " + std::to_string(n); }

}  // namespace

bool mainmenu(BITMAP* s) {
  return showstext(s, df(), "Background", 8, 128) && showstext(s, df(), "How to Play", 8, 248) &&
         showstext(s, df(), "Start Level", 8, 360);
}

bool startfield(BITMAP* s, const std::string& text) {
  // Allegro's edit field decides the font and the exact place; the text
  // must be in the field and no other white may be there.
  const Area field{188, 360, 80, 30};
  for (FONT* f : {df(), defaultfont()}) {
    if (!showstextin(s, f, text, field)) continue;
    int len = text_length(f, text.c_str()), h = text_height(f);
    return fractionof(s, field, 255, 255, 255) * field.w * field.h <= double(len) * h;
  }
  return false;
}

bool levelstart(BITMAP* s, int level) {
  return showstext(s, df(), "Entering level " + std::to_string(level), 8, 8);
}

bool shoppage(BITMAP* s, const std::string& name, int money) {
  return showstext(s, df(), "Honest Vosk's spacefaring Ltd", 8, 8) &&
         showstext(s, df(), "Money: " + dollars(money), 432, 8) && showstext(s, df(), name, 96, 128);
}

bool buyresult(BITMAP* s, const std::string& item, const std::string& message) {
  return showstext(s, df(), "Honest Vosk's spacefaring Ltd", 8, 8) &&
         showstext(s, df(), item, 96, 128) && showstext(s, df(), message, 96, 158);
}

bool inlevel(BITMAP* s) {
  return fractionof(s, {0, 0, 640, 480}, Brown[0], Brown[1], Brown[2], 8) < 0.05;
}

bool levelcompletebanner(BITMAP* s) {
  const char* text = "Level complete!";
  return showstext(s, defaultfont(), text, 320 - text_length(defaultfont(), text) / 2, 8);
}

bool completescreen(BITMAP* s, int level) {
  return showstext(s, df(), "Level Complete", 8, 8) &&
         showstext(s, df(), dollars(level * 20), 196, 128) &&
         showstext(s, df(), dollars(20), 196, 158) && showstext(s, df(), dollars(20), 196, 188) &&
         showstext(s, df(), dollars(20), 196, 218);
}

bool winningline(BITMAP* s) {
  return showstext(s, df(), "You Won! (Sorry there is no outro!)", 196, 248);
}

bool editorready(BITMAP* s) {
  // Inside the first chamber: open cave, black. Left of it: textured rock.
  double open = fractionof(s, {100, 330, 120, 60}, 0, 0, 0, 12);
  double rockblack = fractionof(s, {4, 60, 30, 360}, 0, 0, 0, 12);
  double rockwhite = fractionof(s, {4, 60, 30, 360}, 255, 255, 255, 12);
  return open > 0.97 && rockblack < 0.5 && rockwhite < 0.2;
}
