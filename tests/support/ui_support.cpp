#include "support/ui_support.h"

#include <allegro.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "main.h"
#include "support/testsupport.h"
#include "ui.h"

namespace {

std::string script;
size_t next = 0;
bool spoilt = false;  // keys left over or a dialog closed by the time-out
std::vector<std::vector<std::string>> screens;
time_t lastkey = 0;
int (*oldmousez)() = nullptr;

void press(char c) {
  if (c == '\r' || c == 27) {
    screens.emplace_back();
    // Every entry but the title picture that has a dp holds its text there.
    for (DIALOG* d = active_dialog; d->proc; d++)
      screens.back().push_back(d->dp && d->proc != d_bitmap_proc ? static_cast<const char*>(d->dp) : "");
  }
  const int scan = c == '\t' ? KEY_TAB : c == '\r' ? KEY_ENTER : c == '\b' ? KEY_BACKSPACE : c == 27 ? KEY_ESC
                 : c <= '9' ? KEY_0 + (c - '0') : KEY_A + (c - 'a');
  simulate_keypress(scan << 8 | c);
  lastkey = time(nullptr);
}

// The dialog manager reads the wheel once a pass, before the keyboard (and once before the
// dialog is active): standing in for it feeds the next key.
int feedkey() {
  if (active_dialog && !keypressed() && next < script.size()) {
    press(script[next++]);
  } else if (active_dialog && time(nullptr) - lastkey > 5) {
    spoilt = true;
    press(27);
  }
  return 0;
}

void nodisplay() {
  allegro_exit();
  install_allegro(SYSTEM_NONE, &errno, atexit);
  set_color_depth(chosenDepth);
  set_color_conversion(chosenDepth == 16 ? COLORCONV_32_TO_16 : COLORCONV_16_TO_32);
}

}  // namespace

const char* startdialogs() {
  if (const char* why = ensuredisplay()) return why;
  initallegro();  // loads the data file at the test depth
  allegro_exit();  // Allegro cannot switch system drivers while installed
  // Xvfb now and then resets a connection made just after the last closed.
  for (int tries = 1; install_allegro(SYSTEM_AUTODETECT, &errno, atexit) != 0; tries++)
    if (tries == 3) return nodisplay(), "Allegro cannot open a display";
  install_keyboard();
  install_timer();
  set_color_depth(chosenDepth);
  if (set_gfx_mode(GFX_AUTODETECT_WINDOWED, 640, 480, 0, 0) != 0) return nodisplay(), "no 640x480 window";
  initui();
  gui_mouse_focus = FALSE;
  oldmousez = gui_mouse_z;
  gui_mouse_z = feedkey;
  spoilt = false;
  return nullptr;
}

void stopdialogs() {
  if (!oldmousez) return;
  gui_mouse_z = oldmousez;
  oldmousez = nullptr;
  gui_mouse_focus = TRUE;
  set_gfx_mode(GFX_TEXT, 0, 0, 0, 0);
  nodisplay();
}

void playkeys(const std::string& keys) {
  spoilt |= next < script.size();
  script = keys;
  next = 0;
  screens.clear();
  lastkey = time(nullptr);
}

bool scriptsdone() { return !spoilt && next == script.size(); }

std::string seen(size_t k, std::initializer_list<size_t> entries) {
  std::string texts;
  for (size_t e : entries)
    texts += " | " + (k < screens.size() && e < screens[k].size() ? screens[k][e] : "<not seen>");
  return texts.substr(3);
}
