#include "main.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <iostream>
#include <string>

#include "commandline.h"
#include "common.h"
#include "controls.h"
#include "data.h"
#include "desktop.h"
#include "editor.h"
#include "errors.h"
#include "gamedata.h"
#include "gamefiles.h"
#include "manager.h"
#include "map.h"
#include "playerinfo.h"
#include "signals.h"
#include "ui.h"

int chosenDepth = 0;

namespace {

// Colour depths tried for the display, best first; 0 ends the list.
const int depths[] = {16, 32, 24, 0};

}  // namespace

bool SetupMode(bool editor) { return SetupDisplay(editor); }

bool SetupDisplay(bool windowed) {
  chosenDepth = 0;
  int gfx_mode = windowed ? GFX_AUTODETECT_WINDOWED : GFX_AUTODETECT_FULLSCREEN;
  for (int i = 0; depths[i] != 0; i++) {
    set_color_depth(depths[i]);
    if (set_gfx_mode(gfx_mode, ScreenWidth, ScreenHeight, ScreenWidth, ScreenHeight) == 0) {
      chosenDepth = depths[i];
      return true;
    }
  }
  ShowError("Cannot set gfx mode");
  return false;
}

bool LoadData() {
  switch (chosenDepth) {
    case 16: set_color_conversion(COLORCONV_32_TO_16); break;
    case 32: set_color_conversion(COLORCONV_16_TO_32); break;
    case 24: set_color_conversion(COLORCONV_16_TO_24 | COLORCONV_32_TO_24); break;
    default: break;
  }
  // Allegro's loader trusts the file it reads, so a damaged data.dat is
  // caught before it can crash the program.
  std::string why;
  const std::string path = datafilepath();
  datafile = loaddatafile(path.c_str(), why);
  if (!datafile) {
    ShowError("Failed to load data.");
    ShowError((path + ": " + why).c_str());
    return false;
  }
  return true;
}

void PlayGame(int startlevel) {
  // The menu offers only levels that exist, and at least the first.
  playerinfo.maxstartlevel = std::clamp(startlevel, 1, NumLevels);
  while (uimainmenu()) {
    playerinfo.init();
    for (;;) {
      playerinfo.levelcomplete = false;
      if (!uistartlevel()) break;
      initlevel(playerinfo.level);
      mainloop();
      // A lost ship or Esc goes back to the main menu, not to a retry.
      if (!playerinfo.levelcomplete) break;
      uilevelcomplete();
      playerinfo.level++;
      if (playerinfo.level > NumLevels) break;
    }
  }
}

void Editor() { runeditor(); }

int runmarsflyer(int argc, char** argv) {
  const CommandLine line = readcommandline(argc, argv);
  if (answersatonce(line)) return answer(line);
  setwindowclass();
  // Without a display server Allegro cannot start, and the calls after it
  // would crash, so this one result is checked.
  if (install_allegro(SYSTEM_AUTODETECT, &errno, atexit) != 0) {
    std::string msg = "Cannot start Allegro: no display available (is DISPLAY set?)";
    if (allegro_error[0]) msg += std::string(" - ") + allegro_error;
    ShowError(msg.c_str());
    return 1;
  }
  catchstopsignals();
  install_keyboard();
  install_timer();
  install_mouse();
  install_sound(DIGI_AUTODETECT, MIDI_NONE, nullptr);

  const bool editor = line.mode == Mode::Editor;
  const bool window = line.mode == Mode::Window;
  const int levelnum = line.level;
  titlewindow(editor);
  if (!editor) installjoystick();

  if (!(window ? SetupDisplay(true) : SetupMode(editor))) return 1;
  if (!LoadData()) return 1;
  initui();

  try {
    if (editor) {
      initlevel(levelnum);
      Editor();
    } else {
      PlayGame(levelnum);
    }
  } catch (const StopSignal& stop) {
    endbysignal(stop.signal);
  } catch (const char* message) {
    ShowError(message);
    const ErrorDetail detail = errordetail(message);
    if (!detail.file.empty()) ShowError((detail.file + ": " + detail.what).c_str());
    clear_keybuf();
    set_gfx_mode(GFX_TEXT, 0, 0, 0, 0);
    return 2;
  } catch (...) {
    ShowError("Unknown exception");
    return 3;
  }
  clear_keybuf();
  set_gfx_mode(GFX_TEXT, 0, 0, 0, 0);
  return 0;
}
