#pragma once

#include <initializer_list>
#include <string>

// Runs the real dialogs in a 640x480 window on $DISPLAY (or a private Xvfb) and feeds them a
// script of keys, each once the one before was taken. The pointer is ignored: Tab moves the focus.

// nullptr once the window is open, otherwise why it could not be.
const char* startdialogs();
// Back to the display-less Allegro of initallegro(); harmless after a failed start.
void stopdialogs();

// Keys as characters ('\t' Tab, '\r' Enter, '\b' Backspace, '\x1b' Esc, digits, lower-case
// letters). A dialog left open 5 s after the last key gets Esc.
void playkeys(const std::string& keys);
// Since startdialogs, every script was used up and nothing had to be closed.
bool scriptsdone();
// Texts of these entries, joined by " | ", of the dialog the k-th Enter or Esc went to.
std::string seen(size_t k, std::initializer_list<size_t> entries);
