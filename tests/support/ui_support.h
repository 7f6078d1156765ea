#pragma once

#include <allegro.h>

#include <string>
#include <vector>

// Runs the real dialogs in a window on the X display the suite provides and
// plays scripted keys and pointer moves into them.

// Starts Allegro on the X display in a 640x480 window with keyboard, timer
// and mouse, loads the staged data.dat with the colour conversion of the
// test depth (32, or MARSFLYER_TEST_DEPTH) and prepares the dialogs.
// Returns false with the reason when there is no display to use.
bool startdialogs(std::string& why);

// Closes the window and leaves Allegro running without a display, as
// initallegro() does, so later tests in the same process still work.
void stopdialogs();

// One thing the scripted player does: optionally move the pointer (the
// dialog's focus follows it onto the object beneath), then press a key.
struct UiAction {
  bool point;  // move the pointer to (x, y) first
  int x, y;
  int keycode;  // (scancode << 8) | ascii, as simulate_keypress takes it
};

UiAction press(int scancode, int ascii);
UiAction enterkey();
UiAction esckey();
UiAction backspacekey();
// A digit or a lower-case letter.
UiAction typekey(char c);
// Moves the pointer onto (x, y), over a button, and presses Enter there.
UiAction clickat(int x, int y);
// Moves the pointer onto (x, y), over an edit field say, then does `then`.
UiAction pointat(int x, int y, UiAction then);

// Queues actions for the dialogs that run next; each key is pressed once
// the one before it has been taken. When the queue is empty and a dialog
// stays open for seconds, Esc is pressed until every dialog has closed and
// watchdogfired() turns true, so a wrong script fails instead of hanging.
void scriptinput(const std::vector<UiAction>& actions);
bool scriptdone();
bool watchdogfired();

// What the player saw just before each scripted key: for every entry of
// the open dialog its text (the dp of text, button, edit and text box
// entries), "" for entries without one.
using Screen = std::vector<std::string>;
const std::vector<Screen>& seenscreens();
