#pragma once

// How the game's window presents itself to the desktop: its title, its
// class (which the menu entry's StartupWMClass names, so that a task bar
// groups the window with the entry) and its icon.

// The window's class, WM_CLASS in X: both its name and its class.
extern const char* const WindowClass;
extern const char* const GameTitle;
extern const char* const EditorTitle;

// The icon, an XPM picture Allegro gives the window when it creates it.
// Call before install_allegro. The program passes the icon the build draws
// from the ship; without one Allegro shows its own.
void setwindowicon(const char* const* xpm);

// Sets the window's class. Call before install_allegro: X takes the class
// when the window is created.
void setwindowclass();

// Titles the window for the game or the editor. Call after install_allegro.
void titlewindow(bool editor);
