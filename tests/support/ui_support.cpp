#include "support/ui_support.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <deque>

#include "main.h"
#include "support/testsupport.h"
#include "ui.h"

namespace {

using Clock = std::chrono::steady_clock;

// A dialog left open this long after the script ran out is stuck.
const auto StuckAfter = std::chrono::seconds(5);
// Dialog passes to let go by after a key or a pointer move, so the dialog
// has taken it and a newly opened dialog is the active one before the next.
const int SettlePasses = 3;
// Pointer parked off the screen: over nothing, so the focus is dropped and
// the next move onto a button always hands the focus to it.
const int OffScreen = -10;

std::deque<UiAction> script;
std::vector<Screen> screens;
int pointerx = OffScreen;
int pointery = OffScreen;
int settle = 0;
bool pointing = false;  // the front action's pointer is on its way
bool fired = false;
Clock::time_point lastkey;

int (*oldmousex)() = nullptr;
int (*oldmousey)() = nullptr;
int (*oldmousez)() = nullptr;
int (*oldmouseb)() = nullptr;

int testdepth() {
  const char* depth = getenv("MARSFLYER_TEST_DEPTH");
  return depth ? atoi(depth) : 32;
}

void setconversion() {
  set_color_conversion(chosenDepth == 16 ? COLORCONV_32_TO_16 : COLORCONV_16_TO_32);
}

bool istextproc(int (*proc)(int, DIALOG*, int)) {
  return proc == d_text_proc || proc == d_rtext_proc || proc == d_ctext_proc ||
         proc == d_button_proc || proc == d_edit_proc || proc == d_textbox_proc;
}

Screen readscreen() {
  Screen shown;
  for (DIALOG* d = active_dialog; d && d->proc; d++)
    shown.push_back(istextproc(d->proc) && d->dp ? static_cast<const char*>(d->dp) : "");
  return shown;
}

void presskey(int keycode) {
  simulate_keypress(keycode);
  lastkey = Clock::now();
  settle = SettlePasses;
}

// Closes whatever is still open once the script has run out for too long.
void watchdog() {
  if (Clock::now() - lastkey < StuckAfter) return;
  fired = true;
  presskey((KEY_ESC << 8) | 27);
}

// Moves the pointer off the screen and then onto the action's target, one
// dialog pass each, so the focus always follows it onto the target.
bool movepointer(const UiAction& a) {
  if (!a.point) return false;
  if (pointing && pointerx == a.x && pointery == a.y) return false;
  if (!pointing) {
    pointerx = pointery = OffScreen;
    pointing = true;
  } else {
    pointerx = a.x;
    pointery = a.y;
  }
  settle = SettlePasses;
  return true;
}

// The dialog manager reads the wheel once at the start of every pass, so
// this hook drives the script.
int scriptpass() {
  if (keypressed()) return 0;
  if (settle > 0) {
    settle--;
    return 0;
  }
  if (script.empty()) {
    watchdog();
    return 0;
  }
  if (movepointer(script.front())) return 0;
  screens.push_back(readscreen());
  presskey(script.front().keycode);
  script.pop_front();
  pointing = false;
  return 0;
}

int hookedx() { return pointerx; }
int hookedy() { return pointery; }
int nobuttons() { return 0; }

void hookmouse() {
  oldmousex = gui_mouse_x;
  oldmousey = gui_mouse_y;
  oldmousez = gui_mouse_z;
  oldmouseb = gui_mouse_b;
  gui_mouse_x = hookedx;
  gui_mouse_y = hookedy;
  gui_mouse_z = scriptpass;
  gui_mouse_b = nobuttons;
}

void unhookmouse() {
  if (!oldmousex) return;
  gui_mouse_x = oldmousex;
  gui_mouse_y = oldmousey;
  gui_mouse_z = oldmousez;
  gui_mouse_b = oldmouseb;
  oldmousex = nullptr;
}

// Back to a display-less Allegro, the state initallegro() leaves.
void nodisplay() {
  allegro_exit();
  install_allegro(SYSTEM_NONE, &errno, atexit);
  set_color_depth(chosenDepth);
  setconversion();
}

}  // namespace

bool startdialogs(std::string& why) {
  if (!getenv("DISPLAY")) {
    why = "DISPLAY is not set";
    return false;
  }
  chosenDepth = testdepth();
  // Allegro cannot switch system drivers while installed.
  if (system_driver) allegro_exit();
  if (install_allegro(SYSTEM_AUTODETECT, &errno, atexit) != 0) {
    why = "Allegro cannot open the display";
    nodisplay();
    return false;
  }
  install_keyboard();
  install_timer();
  install_mouse();
  set_color_depth(chosenDepth);
  if (set_gfx_mode(GFX_AUTODETECT_WINDOWED, 640, 480, 0, 0) != 0) {
    why = std::string("no 640x480 window: ") + allegro_error;
    nodisplay();
    return false;
  }
  setconversion();
  // A data file loaded earlier in this process has the same depth.
  if (!datafile) datafile = load_datafile((rundir() + "/data.dat").c_str());
  if (!datafile) {
    why = "cannot load " + rundir() + "/data.dat";
    stopdialogs();
    return false;
  }
  initui();
  scriptinput({});
  hookmouse();
  return true;
}

void stopdialogs() {
  unhookmouse();
  set_gfx_mode(GFX_TEXT, 0, 0, 0, 0);
  nodisplay();
}

UiAction press(int scancode, int ascii) { return {false, 0, 0, (scancode << 8) | ascii}; }
UiAction enterkey() { return press(KEY_ENTER, '\r'); }
UiAction esckey() { return press(KEY_ESC, 27); }
UiAction backspacekey() { return press(KEY_BACKSPACE, 8); }

UiAction typekey(char c) {
  if (c >= '0' && c <= '9') return press(KEY_0 + (c - '0'), c);
  return press(KEY_A + (c - 'a'), c);
}

UiAction pointat(int x, int y, UiAction then) {
  then.point = true;
  then.x = x;
  then.y = y;
  return then;
}

UiAction clickat(int x, int y) { return pointat(x, y, enterkey()); }

void scriptinput(const std::vector<UiAction>& actions) {
  script.assign(actions.begin(), actions.end());
  screens.clear();
  // The first dialog must be open before the first key.
  settle = SettlePasses;
  pointing = false;
  fired = false;
  lastkey = Clock::now();
}

bool scriptdone() { return script.empty(); }
bool watchdogfired() { return fired; }
const std::vector<Screen>& seenscreens() { return screens; }
