#pragma once

// How the game's window presents itself to the desktop: its title, its
// class (which the menu entry's StartupWMClass names, so that a task bar
// groups the window with the entry) and its icon.

// The icon, an XPM picture Allegro gives the window when it creates it.
// Call before install_allegro. The program passes the icon the build draws
// from the ship; without one Allegro shows its own.
void setwindowicon(const char* const* xpm);

// Sets the window's class (WM_CLASS in X, name and class both
// "marsflyer"). Call before install_allegro: X takes the class when the
// window is created.
void setwindowclass();

// Titles the window "Mars Flyer", or "Mars Flyer level editor". Call after
// install_allegro.
void titlewindow(bool editor);
