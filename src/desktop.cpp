#include "desktop.h"

#include <allegro.h>
#include <xalleg.h>

// Allegro's X11 system driver reads this XPM when it opens its window; its
// own headers do not declare it.
extern "C" void* allegro_icon;

namespace {

const char* const WindowClass = "marsflyer";
const char* const GameTitle = "Mars Flyer";
const char* const EditorTitle = "Mars Flyer level editor";

}  // namespace

void setwindowicon(const char* const* xpm) { allegro_icon = const_cast<char**>(xpm); }

void setwindowclass() { xwin_set_window_name(WindowClass, WindowClass); }

void titlewindow(bool editor) { set_window_title(editor ? EditorTitle : GameTitle); }
