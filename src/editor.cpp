#include "editor.h"

#include <allegro.h>

#include <cmath>
#include <string>
#include <vector>

#include "common.h"
#include "editorstate.h"
#include "editortools.h"
#include "manager.h"
#include "map.h"

namespace {

// The editor takes at most this many passes a second: scrolling then runs
// at 4 px per pass = 400 px/s and nudging at 100 px/s, and an idle editor
// leaves the processor alone.
const int EditorPassMilliseconds = 10;
const int ScrollStep = 4;

// A press at most this far from a vertex grabs it for dragging; farther
// off, a press only selects the nearest vertex.
const float GrabRadius = 16.0f;

void nudgestarts(EditorState& ed, Nudge kind) {
  if (ed.nudge == kind) return;
  beginedit(ed);
  ed.nudge = kind;
}

void nudgepoint(Point& p, const EditorInput& in) {
  if (in.left) p.x -= 1;
  if (in.right) p.x += 1;
  if (in.up) p.y -= 1;
  if (in.down) p.y += 1;
}

// Left Shift with the arrows nudges the selection by a pixel per pass.
void nudgeobject(EditorState& ed, const EditorInput& in) {
  GameObject* obj = ed.selection;
  if (in.arrow()) nudgestarts(ed, Nudge::Object);
  nudgepoint(obj->position, in);
  // A moved base or tank must register its rectangle again at the new place.
  if (StaticObject* s = dynamic_cast<StaticObject*>(obj)) s->drawn = false;
}

void nudgevertex(EditorState& ed, const EditorInput& in) {
  if (!isvertex(ed.cave, ed.vertex) || !in.arrow()) return;
  nudgestarts(ed, Nudge::Vertex);
  ed.cavechanged = true;
  nudgepoint(ed.cave[ed.vertex.polygon].points[ed.vertex.point], in);
}

// Arrows scroll by 4 px a pass; with left Shift they nudge the selection.
void scrollornudge(EditorState& ed, const EditorInput& in) {
  EditorView& view = ed.view;
  if (!in.lshift) {
    if (in.left && view.x > 0) view.x -= ScrollStep;
    if (in.right && view.x < view.maxx) view.x += ScrollStep;
    if (in.up && view.y > 0) view.y -= ScrollStep;
    if (in.down && view.y < view.maxy) view.y += ScrollStep;
  } else if (ed.cavemode) {
    nudgevertex(ed, in);
  } else if (ed.selection) {
    nudgeobject(ed, in);
  }
}

// A nudge ends when left Shift or the arrows are let go; a nudged vertex
// then gets its cave drawn. True when the cave was drawn again.
bool nudgeended(EditorState& ed, const EditorInput& in) {
  if (ed.nudge == Nudge::None || (in.lshift && in.arrow())) return false;
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
  status.note = !ed.message.empty() ? ed.message : keyhint(ed.cavemode);
  return status;
}

// The overlays go into vscreen over the objects and are wiped with the
// whole window once it has been shown.
void drawoverlays(EditorState& ed) {
  const EditorView& v = ed.view;
  if (ed.cavemode) drawcaveoutline(vscreen, v.x, v.y, ed.cave, ed.vertex);
  if (!ed.marks.empty()) drawcheckmarks(vscreen, v.x, v.y, ed.marks);
  if (ed.help) drawhelp(vscreen, v.x, v.y, helplines());
  ed.shown = statusof(ed);
  drawstatus(vscreen, v.x, v.y + ScreenHeight - StatusHeight, ed.shown);
  addrect(v.x, v.y, ScreenWidth, ScreenHeight);
}

// Shows the view: the objects near it, the selection and the overlays.
// Without a screen (in tests) everything but the showing is done.
void drawpass(EditorState& ed) {
  if (screen) show_mouse(nullptr);
  screenoffsetx = ed.view.x;
  screenoffsety = ed.view.y;
  viewportcentre = {static_cast<float>(ed.view.x), static_cast<float>(ed.view.y)};
  removedeads();
  if (ed.selection && !ed.cavemode) drawselection(ed.selection);
  drawobjects();
  drawoverlays(ed);
  if (screen) showframe();
  restorerects();
  if (screen) show_mouse(screen);
}

// Between passes that draw, the status line alone follows the pointer.
void showstatus(EditorState& ed) {
  StatusText status = statusof(ed);
  if (status.where == ed.shown.where && status.note == ed.shown.note) return;
  ed.shown = status;
  if (!screen) return;
  BITMAP* strip = create_bitmap(ScreenWidth, StatusHeight);
  if (!strip) return;
  drawstatus(strip, 0, 0, status);
  scare_mouse_area(0, ScreenHeight - StatusHeight, ScreenWidth, StatusHeight);
  blit(strip, screen, 0, 0, 0, ScreenHeight - StatusHeight, ScreenWidth, StatusHeight);
  unscare_mouse();
  destroy_bitmap(strip);
}

void writefiles(const EditorState& ed) {
  saveobjects(EditedObjectsFile);
  if (ed.cavechanged) savemap(EditedMapFile, ed.cave);
}

}  // namespace

EditorState::EditorState() : cave(levelmap().getpolygons()) {}

Point pointer(const EditorState& ed) {
  return {static_cast<float>(ed.pointerx + ed.view.x), static_cast<float>(ed.pointery + ed.view.y)};
}

// The state before an edit goes on the undo history; what the last check
// found no longer holds.
void beginedit(EditorState& ed) {
  ed.history.push({ed.cave, placedobjects()});
  ed.marks.clear();
  ed.message.clear();
}

void caveedited(EditorState& ed) {
  ed.cavechanged = true;
  ed.picture.redraw(ed.cave);
}

void endmoves(EditorState& ed) {
  EditorInput none;
  nudgeended(ed, none);
  dragended(ed);
}

void editorstart(EditorState& ed) {
  refreshvscreen();
  if (screen) {
    drawall();
    show_mouse(screen);
  }
  showstatus(ed);
}

EditorOutcome editorpass(EditorState& ed, const EditorInput& in) {
  ed.pointerx = in.x;
  ed.pointery = in.y;
  // Esc is read once at the start of a pass, which is then an active pass:
  // even an Esc as the very first input lets the level's objects join the
  // world before they are saved.
  if (!in.esc) ed.escarmed = true;
  const bool leaving = in.esc && ed.escarmed;
  bool active = in.anykey || leaving || in.typed;
  const bool down = in.leftbutton();
  if (down) {
    buttonheld(ed);
    active = true;
  }
  bool redrawn = nudgeended(ed, in);
  if (!down && ed.buttonwasdown) redrawn = dragended(ed) || redrawn;
  ed.buttonwasdown = down;
  if (active) {
    scrollornudge(ed, in);
    if (in.typed) typedkey(ed, in.typed);
    drawpass(ed);
  } else if (redrawn) {
    drawpass(ed);
  } else {
    showstatus(ed);
  }
  return leaving ? EditorOutcome::SaveAndLeave : EditorOutcome::Stay;
}

void editorsave(const EditorState& ed) { writefiles(ed); }

void runeditor() {
  EditorState ed;
  editorstart(ed);
  int wheel = mouse_z;
  EditorOutcome outcome;
  do {
    outcome = editorpass(ed, readeditorinput(wheel));
    if (outcome == EditorOutcome::Stay) rest(EditorPassMilliseconds);
  } while (outcome == EditorOutcome::Stay);
  show_mouse(nullptr);
  if (outcome == EditorOutcome::SaveAndLeave) editorsave(ed);
}
