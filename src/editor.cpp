#include "editor.h"

#include <allegro.h>

#include <cmath>
#include <string>
#include <vector>

#include "caveedit.h"
#include "common.h"
#include "editorlevel.h"
#include "editoroverlay.h"
#include "editortools.h"
#include "enemies.h"
#include "errors.h"
#include "manager.h"
#include "map.h"
#include "signals.h"

namespace {

// The editor takes at most this many passes a second: scrolling then runs
// at 4 px per pass = 400 px/s and nudging at 100 px/s, and an idle editor
// leaves the processor alone.
const int EditorPassMilliseconds = 10;
const int ScrollStep = 4;

// A press at most this far from a vertex grabs it for dragging; farther
// off, a press only selects the nearest vertex.
const float GrabRadius = 16.0f;

const char* const ObjectsHint = "F1 help  Tab cave mode  u undo  s save  t fly  v check  Home ship";
const char* const CaveHint = "F1 help  Tab objects mode  drag a vertex  Ins/Del vertex  n new  x delete";

// What the editor shows: the level-picture pixel at the screen's top-left
// corner, and how far it may scroll.
struct EditorView {
  int x, y;
  int maxx, maxy;
};

// A vertex being dragged with the left button, in world pixels.
struct Drag {
  bool on = false;
  bool moved = false;  // it has left its place: an edit is under way
  Point from{0, 0};    // the pointer at the press
  Point start{0, 0};   // the vertex then
};

// What a run of left Shift with the arrows is moving.
enum class Nudge { None, Object, Vertex };

struct EditorState {
  EditorView view{0, 0, backgroundWidth - ScreenWidth, backgroundHeight - ScreenHeight};
  bool cavemode = false;
  GameObject* selection = nullptr;  // objects mode
  CaveVertex vertex;                // cave mode
  Cave cave = levelmap().getpolygons();
  bool cavechanged = false;  // once changed, every save writes the cave
  Drag drag;
  bool buttonwasdown = false;
  Nudge nudge = Nudge::None;
  bool help = false;
  std::string message;  // shown until the next edit or message
  std::vector<CheckMark> marks;
  UndoHistory history;
  CavePicture picture;
  StatusText shown;  // what the status line on the screen says
};

bool anykeyheld() {
  for (int i = 0; i < KEY_MAX; i++)
    if (key[i]) return true;
  return false;
}

bool arrowheld() { return key[KEY_LEFT] || key[KEY_RIGHT] || key[KEY_UP] || key[KEY_DOWN]; }

Point pointer(const EditorState& ed) {
  return {static_cast<float>(mouse_x + ed.view.x), static_cast<float>(mouse_y + ed.view.y)};
}

int indexof(GameObject* obj) {
  std::vector<GameObject*> objects = levelobjects();
  for (size_t i = 0; i < objects.size(); i++)
    if (objects[i] == obj) return static_cast<int>(i);
  return -1;
}

GameObject* objectat(int index) {
  std::vector<GameObject*> objects = levelobjects();
  return index >= 0 && index < static_cast<int>(objects.size()) ? objects[index] : nullptr;
}

// The state before an edit goes on the undo history; what the last check
// found no longer holds.
void beginedit(EditorState& ed) {
  ed.history.push({ed.cave, placedobjects()});
  ed.marks.clear();
  ed.message.clear();
}

// An edit of the cave has ended: draw the cave picture and collision map again.
void caveedited(EditorState& ed) {
  ed.cavechanged = true;
  ed.picture.redraw(ed.cave);
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

void startnudge(EditorState& ed, Nudge kind) {
  if (ed.nudge == kind) return;
  beginedit(ed);
  ed.nudge = kind;
}

// Left Shift with the arrows nudges the selection by a pixel per pass.
void nudge(EditorState& ed) {
  GameObject* obj = ed.selection;
  if (arrowheld()) startnudge(ed, Nudge::Object);
  if (key[KEY_LEFT]) obj->position.x -= 1;
  if (key[KEY_RIGHT]) obj->position.x += 1;
  if (key[KEY_UP]) obj->position.y -= 1;
  if (key[KEY_DOWN]) obj->position.y += 1;
  // A moved base or tank must register its rectangle again at the new place.
  if (StaticObject* s = dynamic_cast<StaticObject*>(obj)) s->drawn = false;
}

void nudgevertex(EditorState& ed) {
  if (!isvertex(ed.cave, ed.vertex) || !arrowheld()) return;
  startnudge(ed, Nudge::Vertex);
  ed.cavechanged = true;
  Point& p = ed.cave[ed.vertex.polygon].points[ed.vertex.point];
  if (key[KEY_LEFT]) p.x -= 1;
  if (key[KEY_RIGHT]) p.x += 1;
  if (key[KEY_UP]) p.y -= 1;
  if (key[KEY_DOWN]) p.y += 1;
}

// Arrows scroll by 4 px a pass; with left Shift they nudge the selection.
void scrollornudge(EditorState& ed) {
  EditorView& view = ed.view;
  if (!key[KEY_LSHIFT]) {
    if (key[KEY_LEFT] && view.x > 0) view.x -= ScrollStep;
    if (key[KEY_RIGHT] && view.x < view.maxx) view.x += ScrollStep;
    if (key[KEY_UP] && view.y > 0) view.y -= ScrollStep;
    if (key[KEY_DOWN] && view.y < view.maxy) view.y += ScrollStep;
  } else if (ed.cavemode) {
    nudgevertex(ed);
  } else if (ed.selection) {
    nudge(ed);
  }
}

// A nudge ends when left Shift or the arrows are let go; a nudged vertex
// then gets its cave drawn. True when the cave was drawn again.
bool nudgeended(EditorState& ed) {
  if (ed.nudge == Nudge::None || (key[KEY_LSHIFT] && arrowheld())) return false;
  bool vertex = ed.nudge == Nudge::Vertex;
  ed.nudge = Nudge::None;
  if (vertex) caveedited(ed);
  return vertex;
}

void pressvertex(EditorState& ed, Point at) {
  ed.vertex = nearestvertex(ed.cave, at);
  ed.drag = Drag{};
  if (!isvertex(ed.cave, ed.vertex)) return;
  const Point& p = ed.cave[ed.vertex.polygon].points[ed.vertex.point];
  if (std::hypot(p.x - at.x, p.y - at.y) <= GrabRadius) ed.drag = Drag{true, false, at, p};
}

void dragvertex(EditorState& ed, Point at) {
  Drag& drag = ed.drag;
  if (!drag.on || !isvertex(ed.cave, ed.vertex)) return;
  if (!drag.moved && at.x == drag.from.x && at.y == drag.from.y) return;
  if (!drag.moved) beginedit(ed);
  drag.moved = true;
  ed.cavechanged = true;
  ed.cave[ed.vertex.polygon].points[ed.vertex.point] = {drag.start.x + at.x - drag.from.x,
                                                        drag.start.y + at.y - drag.from.y};
}

// The left button held: in objects mode it selects the object nearest to
// the pointer every pass; in cave mode a press selects the nearest vertex
// and moving on drags it.
void buttonheld(EditorState& ed) {
  Point at = pointer(ed);
  if (!ed.cavemode)
    ed.selection = findnearest(at.x, at.y);
  else if (!ed.buttonwasdown)
    pressvertex(ed, at);
  else
    dragvertex(ed, at);
}

// True when a drag ended with the vertex moved, and the cave was drawn again.
bool dragended(EditorState& ed) {
  bool moved = ed.drag.on && ed.drag.moved;
  ed.drag = Drag{};
  if (moved) caveedited(ed);
  return moved;
}

// A white ring round the selection, wiped again after it has been shown.
void drawselection(GameObject* selection) {
  int ix = wholepixel(selection->position.x);
  int iy = wholepixel(selection->position.y);
  circle(vscreen, ix, iy, 48, makecol(255, 255, 255));
  addrect(ix - 50, iy - 50, 100, 100);
}

StatusText statusof(const EditorState& ed) {
  std::string selected;
  PlacedObject record;
  if (ed.cavemode)
    selected = vertextext(ed.cave, ed.vertex);
  else if (ed.selection && recordof(ed.selection, record))
    selected = objecttext(record.letter, record.type, record.position);
  Point at = pointer(ed);
  StatusText status;
  status.where = pointertext(static_cast<int>(at.x), static_cast<int>(at.y), ed.cavemode, selected);
  status.note = !ed.message.empty() ? ed.message : ed.cavemode ? CaveHint : ObjectsHint;
  return status;
}

// The overlays go into vscreen over the objects and are wiped with the
// whole window once it has been shown.
void drawoverlays(EditorState& ed) {
  const EditorView& v = ed.view;
  if (ed.cavemode) drawcaveoutline(vscreen, v.x, v.y, ed.cave, ed.vertex);
  if (!ed.marks.empty()) drawcheckmarks(vscreen, v.x, v.y, ed.marks);
  if (ed.help) drawhelp(vscreen, v.x, v.y);
  ed.shown = statusof(ed);
  drawstatus(vscreen, v.x, v.y + ScreenHeight - StatusHeight, ed.shown);
  addrect(v.x, v.y, ScreenWidth, ScreenHeight);
}

// Shows the view: the objects near it, the selection and the overlays.
void drawpass(EditorState& ed) {
  show_mouse(nullptr);
  screenoffsetx = ed.view.x;
  screenoffsety = ed.view.y;
  viewportcentre = {static_cast<float>(ed.view.x), static_cast<float>(ed.view.y)};
  removedeads();
  if (ed.selection && !ed.cavemode) drawselection(ed.selection);
  drawobjects();
  drawoverlays(ed);
  showframe();
  restorerects();
  show_mouse(screen);
}

// Between passes that draw, the status line alone follows the pointer.
void showstatus(EditorState& ed) {
  StatusText status = statusof(ed);
  if (status.where == ed.shown.where && status.note == ed.shown.note) return;
  BITMAP* strip = create_bitmap(ScreenWidth, StatusHeight);
  if (!strip) return;
  drawstatus(strip, 0, 0, status);
  scare_mouse_area(0, ScreenHeight - StatusHeight, ScreenWidth, StatusHeight);
  blit(strip, screen, 0, 0, 0, ScreenHeight - StatusHeight, ScreenWidth, StatusHeight);
  unscare_mouse();
  destroy_bitmap(strip);
  ed.shown = status;
}

// Places an object at the pointer, or deletes the selection; true when
// the key is one of these.
bool objectkey(EditorState& ed, int c) {
  if (GameObject* obj = placedobject(c)) {
    beginedit(ed);
    obj->position = pointer(ed);
    addobject(obj);
    ed.selection = obj;
    return true;
  }
  if (c != 'd') return false;
  if (ed.selection) {
    beginedit(ed);
    ed.selection->dead = true;
    ed.selection = nullptr;
  }
  return true;
}

// Runs a cave edit on a copy, so that a refused edit changes nothing.
template <class Edit>
void editcave(EditorState& ed, Edit edit) {
  if (!ed.cavemode) {
    ed.message = "That key edits the cave: press Tab for cave mode";
    return;
  }
  Cave edited = ed.cave;
  CaveVertex vertex = ed.vertex;
  if (const char* refused = edit(edited, vertex)) {
    ed.message = refused;
    return;
  }
  beginedit(ed);
  ed.cave = std::move(edited);
  ed.vertex = vertex;
  caveedited(ed);
}

const char* const NoVertex = "Select a vertex first: click near it";

void insertkey(EditorState& ed) {
  Point at = pointer(ed);
  editcave(ed, [at](Cave& cave, CaveVertex& v) {
    return isvertex(cave, v) ? insertvertex(cave, v, at) : NoVertex;
  });
}

void deletekey(EditorState& ed) {
  if (!ed.cavemode) {
    objectkey(ed, 'd');
    return;
  }
  editcave(ed, [](Cave& cave, CaveVertex& v) { return isvertex(cave, v) ? deletevertex(cave, v) : NoVertex; });
}

void newcavernkey(EditorState& ed) {
  Point at = pointer(ed);
  editcave(ed, [at](Cave& cave, CaveVertex& v) -> const char* {
    v = addcavern(cave, at);
    return nullptr;
  });
}

void deletecavernkey(EditorState& ed) {
  editcave(ed, [](Cave& cave, CaveVertex& v) -> const char* {
    if (!isvertex(cave, v)) return NoVertex;
    deletecavern(cave, v);
    return nullptr;
  });
}

void switchmode(EditorState& ed) {
  nudgeended(ed);
  dragended(ed);
  ed.cavemode = !ed.cavemode;
}

// Centres the view on the ship the game would fly (the last one placed),
// or without a ship on the first start base, in whole scroll steps.
void jumptoship(EditorState& ed) {
  GameObject* target = nullptr;
  for (GameObject* obj : levelobjects()) {
    StaticObject* s = dynamic_cast<StaticObject*>(obj);
    if (dynamic_cast<Ship*>(obj) || (s && s->type == PlayerBaseStart && !target)) target = obj;
  }
  if (!target) {
    ed.message = "No ship or start base to go to";
    return;
  }
  auto centred = [](float at, int half, int max) {
    int x = ScrollStep * static_cast<int>(std::lround((at - half) / ScrollStep));
    return x < 0 ? 0 : x > max ? max : x;
  };
  ed.view.x = centred(target->position.x, ScreenWidth / 2, ed.view.maxx);
  ed.view.y = centred(target->position.y, ScreenHeight / 2, ed.view.maxy);
}

void undo(EditorState& ed) {
  if (ed.history.empty()) {
    ed.message = "Nothing to undo";
    return;
  }
  ed.drag = Drag{};
  ed.nudge = Nudge::None;
  LevelState before = ed.history.pop();
  if (placedobjects() != before.objects) {
    int selected = indexof(ed.selection);
    replaceobjects(before.objects);
    ed.selection = objectat(selected);
    refreshvscreen();
  }
  if (!samecave(ed.cave, before.cave)) {
    ed.cave = std::move(before.cave);
    caveedited(ed);
  }
  if (!isvertex(ed.cave, ed.vertex)) ed.vertex = CaveVertex{};
  ed.marks.clear();
  ed.message = "Undone";
}

void writefiles(const EditorState& ed) {
  saveobjects(EditedObjectsFile);
  if (ed.cavechanged) savemap(EditedMapFile, ed.cave);
}

// Writes one file; a failure goes on the status line instead of ending
// the editor.
template <class Write>
bool savefile(EditorState& ed, const char* name, Write write) {
  try {
    write();
    return true;
  } catch (const char* error) {
    const std::string why = errordetail(error).what;
    ed.message = std::string(error) + ": " + name + " not written, the old one kept" + (why.empty() ? "" : ": " + why);
    return false;
  }
}

void save(EditorState& ed) {
  removedeads();  // the level's own objects join the world at the first pass
  if (!savefile(ed, EditedObjectsFile, [] { saveobjects(EditedObjectsFile); })) return;
  ed.message = std::string("Saved ") + EditedObjectsFile;
  if (!ed.cavechanged) return;
  if (savefile(ed, EditedMapFile, [&ed] { savemap(EditedMapFile, ed.cave); }))
    ed.message += std::string(" and ") + EditedMapFile;
}

void fly(EditorState& ed) {
  int selected = indexof(ed.selection);
  if (!testflight(ed.picture, ed.cave)) {
    ed.message = "No ship to fly: place one with 0";
    return;
  }
  ed.selection = objectat(selected);
  // The Esc that ended the flight must not also end the editor.
  while (key[KEY_ESC]) rest(EditorPassMilliseconds);
  clear_keybuf();
  ed.message = "Back from the test flight";
}

void check(EditorState& ed) {
  CheckOutcome outcome = checkeditedlevel(ed.picture, ed.cave);
  ed.marks = outcome.marks;
  ed.message = outcome.summary;
}

void commandkey(EditorState& ed, int scancode, int c) {
  switch (scancode) {
    case KEY_F1: ed.help = !ed.help; return;
    case KEY_HOME: jumptoship(ed); return;
    case KEY_TAB: switchmode(ed); return;
    case KEY_INSERT: insertkey(ed); return;
    case KEY_DEL: deletekey(ed); return;
    default: break;
  }
  switch (c) {
    case 'n': newcavernkey(ed); break;
    case 'x': deletecavernkey(ed); break;
    case 'u': undo(ed); break;
    case 's': save(ed); break;
    case 't': fly(ed); break;
    case 'v': check(ed); break;
    default: break;
  }
}

// Takes at most one typed key: the objects-mode keys of old, then the
// editor's commands; any other key does nothing.
void typedkey(EditorState& ed) {
  if (!keypressed()) return;
  int k = readkey();
  int c = k & 0xff;
  if (!ed.cavemode && objectkey(ed, c)) return;
  commandkey(ed, k >> 8, c);
}

// One pass in which a key is held or the mouse button is down.
void activepass(EditorState& ed) {
  show_mouse(nullptr);
  scrollornudge(ed);
  typedkey(ed);
  drawpass(ed);
}

}  // namespace

void runeditor() {
  EditorState ed;
  refreshvscreen();
  drawall();
  show_mouse(screen);
  showstatus(ed);

  // Esc is read once at the start of a pass, which is then an active pass:
  // even an Esc as the very first input lets the level's objects join the
  // world before they are saved.
  bool leaving;
  do {
    checkstop();  // a signal ends the program from here, without saving
    leaving = key[KEY_ESC];
    bool keyactive = anykeyheld() || leaving;
    bool down = mouse_b & 1;
    if (down) {
      buttonheld(ed);
      keyactive = true;
    }
    bool redrawn = nudgeended(ed);
    if (!down && ed.buttonwasdown) redrawn = dragended(ed) || redrawn;
    ed.buttonwasdown = down;
    if (keyactive)
      activepass(ed);
    else if (redrawn)
      drawpass(ed);
    else
      showstatus(ed);
    if (!leaving) rest(EditorPassMilliseconds);
  } while (!leaving);
  show_mouse(nullptr);
  writefiles(ed);
}
