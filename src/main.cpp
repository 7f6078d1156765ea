#include "main.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <iostream>
#include <string>

#include "common.h"
#include "data.h"
#include "enemies.h"
#include "manager.h"
#include "map.h"
#include "playerinfo.h"
#include "ui.h"

DATAFILE* datafile = nullptr;
int chosenDepth = 0;

namespace {

// Colour depths tried for the display, best first; 0 ends the list.
const int depths[] = {16, 32, 24, 0};

// The editor takes at most this many passes a second: scrolling then runs
// at 4 px per pass = 400 px/s and nudging at 100 px/s, and an idle editor
// leaves the processor alone.
const int EditorPassMilliseconds = 10;

}  // namespace

void ShowError(const char* msg) { std::cerr << msg << std::endl; }

namespace {

const char* detailedmessage = nullptr;
ErrorDetail lastdetail;

}  // namespace

void throwfileerror(const char* message, const std::string& file, const std::string& what) {
  detailedmessage = message;
  lastdetail = {file, what};
  throw message;
}

ErrorDetail errordetail(const char* message) {
  return message == detailedmessage ? lastdetail : ErrorDetail{};
}

int randombetween(int min, int max) { return min + rand() % (max - min + 1); }

void play_sound(int soundid, int speed, int vol) {
  if (!datafile) return;
  play_sample(static_cast<SAMPLE*>(datafile[soundid].dat), vol, 128, speed, 0);
}

bool SetupMode(bool editor) {
  chosenDepth = 0;
  int gfx_mode = editor ? GFX_AUTODETECT_WINDOWED : GFX_AUTODETECT_FULLSCREEN;
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
  datafile = loaddatafile("data.dat", why);
  if (!datafile) {
    ShowError("Failed to load data.");
    ShowError(("data.dat: " + why).c_str());
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

namespace {

bool anykeyheld() {
  for (int i = 0; i < KEY_MAX; i++)
    if (key[i]) return true;
  return false;
}

// Creates the object a typed key places, or null for any other key.
GameObject* placedobject(int c) {
  switch (c) {
    case '1': return new StaticObject(TankHydrogen);
    case '2': return new StaticObject(TankOxygen);
    case '3': return new StaticObject(TankHCl);
    case '4': return new StaticObject(TankHF);
    case '5': return new StaticObject(PlayerBaseExit);
    case '%': return new StaticObject(PlayerBaseStart);
    case '6': return new Enemy(BlueStaticWibblet);
    case '7': return new Enemy(OrangeWibblet);
    case '8': return new Enemy(YellowWibblet);
    case '9': return new Enemy(GreenWibblet);
    case '0': return new Ship();
    default: return nullptr;
  }
}

// Left Shift with the arrows nudges the selection by a pixel per pass.
void nudge(GameObject* obj) {
  if (key[KEY_LEFT]) obj->position.x -= 1;
  if (key[KEY_RIGHT]) obj->position.x += 1;
  if (key[KEY_UP]) obj->position.y -= 1;
  if (key[KEY_DOWN]) obj->position.y += 1;
  // A moved base or tank must register its rectangle again at the new place.
  if (StaticObject* s = dynamic_cast<StaticObject*>(obj)) s->drawn = false;
}

// What the editor shows: the level-picture pixel at the screen's top-left
// corner, and how far it may scroll.
struct EditorView {
  int x, y;
  int maxx, maxy;
};

// Arrows scroll by 4 px a pass; with left Shift they nudge the selection.
void scrollornudge(EditorView& view, GameObject* selection) {
  if (!key[KEY_LSHIFT]) {
    if (key[KEY_LEFT] && view.x > 0) view.x -= 4;
    if (key[KEY_RIGHT] && view.x < view.maxx) view.x += 4;
    if (key[KEY_UP] && view.y > 0) view.y -= 4;
    if (key[KEY_DOWN] && view.y < view.maxy) view.y += 4;
  } else if (selection) {
    nudge(selection);
  }
}

// Takes at most one typed key: places an object at the pointer, or deletes
// the selection. Returns the new selection.
GameObject* typedkey(const EditorView& view, GameObject* selection) {
  if (!keypressed()) return selection;
  int c = readkey() & 0xff;
  if (GameObject* obj = placedobject(c)) {
    obj->position = {static_cast<float>(mouse_x + view.x), static_cast<float>(mouse_y + view.y)};
    addobject(obj);
    return obj;
  }
  if (c == 'd' && selection) {
    selection->dead = true;
    return nullptr;
  }
  return selection;
}

// A white ring round the selection, wiped again after it has been shown.
void drawselection(GameObject* selection) {
  int ix = wholepixel(selection->position.x);
  int iy = wholepixel(selection->position.y);
  circle(vscreen, ix, iy, 48, makecol(255, 255, 255));
  addrect(ix - 50, iy - 50, 100, 100);
}

// One pass in which a key is held or the mouse button is down.
GameObject* activepass(EditorView& view, GameObject* selection) {
  show_mouse(nullptr);
  scrollornudge(view, selection);
  selection = typedkey(view, selection);
  screenoffsetx = view.x;
  screenoffsety = view.y;
  viewportcentre = {static_cast<float>(view.x), static_cast<float>(view.y)};
  removedeads();
  if (selection) drawselection(selection);
  drawall();
  show_mouse(screen);
  return selection;
}

}  // namespace

void Editor() {
  EditorView view{0, 0, backgroundWidth - 640, backgroundHeight - 480};
  refreshvscreen();
  drawall();
  GameObject* lastobj = nullptr;
  show_mouse(screen);

  // Esc is read once at the start of a pass, which is then an active pass:
  // even an Esc as the very first input lets the level's objects join the
  // world before they are saved.
  bool leaving;
  do {
    leaving = key[KEY_ESC];
    bool keyactive = anykeyheld() || leaving;
    if (mouse_b & 1) {
      lastobj = findnearest(static_cast<float>(mouse_x + view.x),
                            static_cast<float>(mouse_y + view.y));
      keyactive = true;
    }
    if (keyactive) lastobj = activepass(view, lastobj);
    if (!leaving) rest(EditorPassMilliseconds);
  } while (!leaving);
  show_mouse(nullptr);
  saveobjects("leveledited.txt");
}

int runmarsflyer(int argc, char** argv) {
  // Without a display server Allegro cannot start, and the calls after it
  // would crash, so this one result is checked.
  if (install_allegro(SYSTEM_AUTODETECT, &errno, atexit) != 0) {
    std::string msg = "Cannot start Allegro: no display available (is DISPLAY set?)";
    if (allegro_error[0]) msg += std::string(" - ") + allegro_error;
    ShowError(msg.c_str());
    return 1;
  }
  install_keyboard();
  install_timer();
  install_mouse();
  install_sound(DIGI_AUTODETECT, MIDI_NONE, nullptr);

  bool editor = argc > 1 && argv[1][0] == 'e';
  int levelnum = argc > 2 ? atoi(argv[2]) : 1;

  if (!SetupMode(editor)) return 1;
  if (!LoadData()) return 1;
  initui();

  try {
    if (editor) {
      initlevel(levelnum);
      Editor();
    } else {
      PlayGame(levelnum);
    }
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
