#include "editor.h"

#include <allegro.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <string>
#include <vector>

#include "common.h"
#include "editorstate.h"
#include "manager.h"
#include "map.h"
#include "signals.h"

namespace {

// The editor takes at most this many passes a second: scrolling then runs
// at 4 px per pass = 400 px/s and nudging at 100 px/s, and an idle editor
// leaves the processor alone.
const int EditorPassMilliseconds = 10;
const int ScrollStep = 4;
// One notch of the mouse wheel scrolls this far, a whole number of steps.
const int WheelStep = 16 * ScrollStep;

// A press at most this far from a vertex grabs it for dragging; farther
// off, a press only selects the nearest vertex. Objects are grabbed on
// their picture or this near their position; a drawn cavern's first point
// closes it from this near.
const float GrabRadius = 16.0f;

// The check runs again by itself after an edit when it took less than this.
const double QuickCheckSeconds = 0.3;

bool samepoint(Point a, Point b) { return a.x == b.x && a.y == b.y; }

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
  if (in.arrow()) nudgestarts(ed, Nudge::Object);
  Point to = ed.selection->position;
  nudgepoint(to, in);
  moveobject(ed.selection, to);
}

void nudgevertex(EditorState& ed, const EditorInput& in) {
  if (!isvertex(ed.cave, ed.vertex) || !in.arrow()) return;
  nudgestarts(ed, Nudge::Vertex);
  nudgepoint(ed.cave[ed.vertex.polygon].points[ed.vertex.point], in);
}

// Arrows scroll by 4 px a pass; with left Shift they nudge the selection
// (not in the overview or while drawing).
void scrollornudge(EditorState& ed, const EditorInput& in) {
  if (!in.lshift) {
    EditorView& view = ed.view;
    if (in.left) view.x -= ScrollStep;
    if (in.right) view.x += ScrollStep;
    if (in.up) view.y -= ScrollStep;
    if (in.down) view.y += ScrollStep;
    clampview(view);
  } else if (ed.overview || ed.drawing) {
    return;
  } else if (ed.cavemode) {
    nudgevertex(ed, in);
  } else if (ed.selection) {
    nudgeobject(ed, in);
  }
}

// A nudge ends when left Shift or the arrows are let go; a nudged vertex
// then gets its cave drawn. True when the level was changed.
bool nudgeended(EditorState& ed, const EditorInput& in) {
  if (ed.nudge == Nudge::None || (in.lshift && in.arrow())) return false;
  const bool vertex = ed.nudge == Nudge::Vertex;
  ed.nudge = Nudge::None;
  if (vertex) caveedited(ed);
  editdone(ed);
  return true;
}

void pressvertex(EditorState& ed, Point at) {
  ed.vertex = nearestvertex(ed.cave, at);
  ed.drag = Drag{};
  if (!isvertex(ed.cave, ed.vertex)) return;
  const Point& p = ed.cave[ed.vertex.polygon].points[ed.vertex.point];
  if (std::hypot(p.x - at.x, p.y - at.y) <= GrabRadius) ed.drag = Drag{true, false, at, p};
}

// Where a drag has taken what it drags; false until the pointer first
// leaves the place of the press, when the edit begins.
bool dragging(EditorState& ed, Point at, Point& to) {
  Drag& drag = ed.drag;
  if (!drag.moved && samepoint(at, drag.from)) return false;
  if (!drag.moved) beginedit(ed);
  drag.moved = true;
  to = {drag.start.x + at.x - drag.from.x, drag.start.y + at.y - drag.from.y};
  return true;
}

void dragvertex(EditorState& ed, Point at) {
  Point to;
  if (ed.drag.on && isvertex(ed.cave, ed.vertex) && dragging(ed, at, to))
    ed.cave[ed.vertex.polygon].points[ed.vertex.point] = to;
}

// Whether a press at `at` takes hold of the object: on its picture, within
// its body, or near its position.
bool grabbable(const GameObject* obj, Point at) {
  float reach = GrabRadius;
  if (const CollidesWithScenery* body = dynamic_cast<const CollidesWithScenery*>(obj))
    reach = std::max(reach, body->radius);
  if (std::hypot(obj->position.x - at.x, obj->position.y - at.y) <= reach) return true;
  const StaticObject* s = dynamic_cast<const StaticObject*>(obj);
  if (!s) return false;
  const Rect r = s->area();
  return at.x >= r.x && at.y >= r.y && at.x < r.x + r.w && at.y < r.y + r.h;
}

// The left button in objects mode selects the object nearest to the pointer
// every pass, as it always did; a press on an object takes hold of it, and
// moving the pointer then drags it.
void objectbutton(EditorState& ed, Point at, bool pressed) {
  if (pressed) {
    ed.pressedat = at;
    ed.drag = Drag{};
  }
  if (ed.drag.on && ed.selection) {
    Point to;
    if (dragging(ed, at, to)) moveobject(ed.selection, to);
    return;
  }
  ed.drag = Drag{};
  ed.selection = findnearest(at.x, at.y);
  // The level's own objects are drawn, and so found, from the second pass.
  if (ed.selection && samepoint(at, ed.pressedat) && grabbable(ed.selection, at))
    ed.drag = Drag{true, false, at, ed.selection->position};
}

// A click while drawing adds a point, or on the first point closes it.
void drawingclick(EditorState& ed, Point at) {
  const Point& first = ed.drawn.empty() ? at : ed.drawn.front();
  if (ed.drawn.size() >= 2 && std::hypot(first.x - at.x, first.y - at.y) <= GrabRadius) return closedrawing(ed);
  const char* refused = addcavernpoint(ed.drawn, at);
  ed.message = refused ? refused : "";
}

// A click on the overview jumps the view there and closes it.
void overviewclick(EditorState& ed) {
  const OverviewLayout layout = overviewlayout(backgroundWidth, backgroundHeight);
  if (!onoverview(layout, ed.pointerx, ed.pointery)) return;
  centreview(ed, overviewpoint(layout, ed.pointerx, ed.pointery));
  ed.overview = false;
}

// The left button held. A press on the overview or while drawing is used
// up by it: holding on does nothing more.
void buttonheld(EditorState& ed) {
  const Point at = pointer(ed);
  const bool pressed = !ed.buttonwasdown;
  if (ed.buttonused) return;
  if (ed.overview || ed.drawing) {
    if (!pressed) return;
    ed.buttonused = true;
    return ed.overview ? overviewclick(ed) : drawingclick(ed, at);
  }
  if (!ed.cavemode) return objectbutton(ed, at, pressed);
  if (pressed) return pressvertex(ed, at);
  dragvertex(ed, at);
}

// True when a drag ended with something moved.
bool dragended(EditorState& ed) {
  const bool moved = ed.drag.on && ed.drag.moved;
  ed.drag = Drag{};
  ed.buttonused = false;
  if (!moved) return false;
  if (ed.cavemode) caveedited(ed);
  editdone(ed);
  return true;
}

// The right button drags the view: in the overview the view's rectangle
// follows the pointer, elsewhere the level does. True while it is held.
bool panview(EditorState& ed, const EditorInput& in) {
  Pan& pan = ed.pan;
  if (!in.rightbutton()) return pan.on = false;
  if (!pan.on) pan = Pan{true, in.x, in.y, ed.view.x, ed.view.y};
  const float scale = ed.overview ? -overviewlayout(backgroundWidth, backgroundHeight).scale : 1.0f;
  ed.view.x = pan.viewx - static_cast<int>(std::lround((in.x - pan.fromx) / scale));
  ed.view.y = pan.viewy - static_cast<int>(std::lround((in.y - pan.fromy) / scale));
  clampview(ed.view);
  return true;
}

// The wheel scrolls up and down, with Shift left and right.
void wheel(EditorState& ed, const EditorInput& in) {
  if (!in.wheel) return;
  (in.shift ? ed.view.x : ed.view.y) -= in.wheel * WheelStep;
  clampview(ed.view);
}

// Answers "Leave without saving? (y/n)": y leaves, any other key goes back.
void answerquit(EditorState& ed, const EditorInput& in) {
  ed.quitting = false;
  const int c = in.character();
  if (c == 'y' || c == 'Y') {
    ed.discarded = true;
    return;
  }
  ed.message = "Still editing";
  if (in.esc) ed.escarmed = false;  // the Esc that answered does not leave
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
  StatusText status;
  status.note = !ed.message.empty() ? ed.message : keyhint(ed);
  if (ed.overview) {
    // The level's point under the pointer, when it is over the level.
    const OverviewLayout layout = overviewlayout(backgroundWidth, backgroundHeight);
    const Point at = overviewpoint(layout, ed.pointerx, ed.pointery);
    const bool on = onoverview(layout, ed.pointerx, ed.pointery);
    status.where = on ? pointertext(static_cast<int>(at.x), static_cast<int>(at.y), "overview", "") : "overview";
    return status;
  }
  const Point at = pointer(ed);
  status.where = pointertext(static_cast<int>(at.x), static_cast<int>(at.y), ed.cavemode ? "cave" : "objects", selected);
  return status;
}

// The overlays go into vscreen over the objects and are wiped with the
// whole window once it has been shown.
void drawoverlays(EditorState& ed) {
  const EditorView& v = ed.view;
  if (ed.cavemode) drawcaveoutline(vscreen, v.x, v.y, ed.cave, ed.vertex);
  if (!ed.check.marks.empty()) drawcheckmarks(vscreen, v.x, v.y, ed.check.marks, ed.check.current + 1);
  if (ed.drawing) drawcavernsofar(vscreen, v.x, v.y, ed.drawn, pointer(ed));
  if (ed.help) drawhelp(vscreen, v.x, v.y, helplines());
  ed.shown = statusof(ed);
  ed.shownheight = statusheight(ed.shown);
  drawstatus(vscreen, v.x, v.y + ScreenHeight - ed.shownheight, ed.shown);
  addrect(v.x, v.y, ScreenWidth, ScreenHeight);
}

void placecamera(const EditorView& view) {
  screenoffsetx = view.x;
  screenoffsety = view.y;
  viewportcentre = {static_cast<float>(view.x), static_cast<float>(view.y)};
}

// Shows the view: the objects near it, the selection and the overlays.
void drawview(EditorState& ed) {
  placecamera(ed.view);
  if (ed.selection && !ed.cavemode) drawselection(ed.selection);
  drawobjects();
  drawoverlays(ed);
  if (screen) showframe();
  restorerects();
}

OverviewContent overviewcontent(const EditorState& ed) {
  OverviewContent c;
  c.view = {ed.view.x, ed.view.y, ScreenWidth, ScreenHeight};
  c.objects = describeobjects(levelobjects());
  c.marks = ed.check.marks;
  c.current = ed.check.current + 1;
  c.route = ed.route;
  c.title = ed.flown;
  return c;
}

// Shows the overview, composed in a bitmap of its own.
void drawoverview(EditorState& ed) {
  if (!ed.frame && !(ed.frame = create_bitmap(ScreenWidth, ScreenHeight))) throw "Problem creating bitmaps";
  ed.overviewpicture.draw(ed.frame, overviewcontent(ed));
  if (ed.help) drawhelp(ed.frame, 0, 0, helplines());
  ed.shown = statusof(ed);
  ed.shownheight = statusheight(ed.shown);
  drawstatus(ed.frame, 0, ScreenHeight - ed.shownheight, ed.shown);
  if (screen) blit(ed.frame, screen, 0, 0, 0, 0, ScreenWidth, ScreenHeight);
}

// Without a screen (in tests) everything but the showing is done.
void drawpass(EditorState& ed) {
  if (screen) show_mouse(nullptr);
  removedeads();
  if (ed.overview)
    drawoverview(ed);
  else
    drawview(ed);
  if (screen) show_mouse(screen);
}

// The status line alone, drawn over the bottom of the screen.
void drawstatusline(EditorState& ed, const StatusText& status) {
  ed.shown = status;
  ed.shownheight = statusheight(status);
  if (!screen) return;
  BITMAP* strip = create_bitmap(ScreenWidth, ed.shownheight);
  if (!strip) return;
  drawstatus(strip, 0, 0, status);
  scare_mouse_area(0, ScreenHeight - ed.shownheight, ScreenWidth, ed.shownheight);
  blit(strip, screen, 0, 0, 0, ScreenHeight - ed.shownheight, ScreenWidth, ed.shownheight);
  unscare_mouse();
  destroy_bitmap(strip);
}

// Between passes that draw, the status line alone follows the pointer; a
// status line of another height needs the whole screen drawn.
void showstatus(EditorState& ed) {
  StatusText status = statusof(ed);
  if (status == ed.shown) return;
  if (statusheight(status) != ed.shownheight) return drawpass(ed);
  drawstatusline(ed, status);
}

// The mouse's part of a pass; true when it changed what is shown.
bool mousepass(EditorState& ed, const EditorInput& in) {
  const Point before = pointer(ed);
  ed.pointerx = in.x;
  ed.pointery = in.y;
  bool active = false;
  const bool down = in.leftbutton();
  if (down) buttonheld(ed), active = true;
  if (!down && ed.buttonwasdown) active = dragended(ed) || active;
  ed.buttonwasdown = down;
  active = panview(ed, in) || active;
  // While drawing, the line to the pointer follows it.
  return active || in.wheel || (ed.drawing && !samepoint(before, pointer(ed)));
}

}  // namespace

EditorState::EditorState() : cave(levelmap().getpolygons()) {}

EditorState::~EditorState() {
  if (frame) destroy_bitmap(frame);
}

Point pointer(const EditorState& ed) {
  return {static_cast<float>(ed.pointerx + ed.view.x), static_cast<float>(ed.pointery + ed.view.y)};
}

void moveobject(GameObject* obj, Point to) {
  obj->position = to;
  // A moved base or tank must register its rectangle again at the new place.
  if (StaticObject* s = dynamic_cast<StaticObject*>(obj)) s->drawn = false;
}

void clampview(EditorView& view) {
  view.x = std::max(0, std::min(view.x, view.maxx));
  view.y = std::max(0, std::min(view.y, view.maxy));
}

void centreview(EditorState& ed, Point at) {
  ed.view.x = ScrollStep * static_cast<int>(std::lround((at.x - ScreenWidth / 2) / ScrollStep));
  ed.view.y = ScrollStep * static_cast<int>(std::lround((at.y - ScreenHeight / 2) / ScrollStep));
  clampview(ed.view);
}

// The state before an edit goes on the undo history; the rings of the last
// check stay until the next.
void beginedit(EditorState& ed) {
  ed.history.push({ed.cave, placedobjects()});
  ed.message.clear();
  ed.route.clear();  // the pilot flew the level as it was
  ed.flown.clear();
}

void shownote(EditorState& ed, const std::string& note) {
  StatusText status = statusof(ed);
  status.note = note;
  drawstatusline(ed, status);
}

void editdone(EditorState& ed) {
  if (!ed.check.asked || ed.check.seconds >= QuickCheckSeconds) return;
  const std::string message = ed.message;
  runcheck(ed);
  if (!message.empty()) ed.message = message + ". " + ed.message;
}

void caveedited(EditorState& ed) {
  ed.picture.redraw(ed.cave);
  ed.overviewpicture.stale();
}

void endmoves(EditorState& ed) {
  nudgeended(ed, EditorInput{});
  dragended(ed);
}

void runcheck(EditorState& ed) {
  CheckOutcome outcome = checkeditedlevel(ed.picture, ed.cave);
  ed.check.asked = true;
  ed.check.seconds = outcome.seconds;
  ed.check.problems = std::move(outcome.problems);
  ed.check.marks = std::move(outcome.marks);
  ed.check.current = -1;
  ed.message = outcome.summary;
}

// The level's objects are drawn from the start, so that the first press
// can take hold of one.
void editorstart(EditorState& ed) {
  refreshvscreen();
  drawpass(ed);
}

EditorOutcome editorpass(EditorState& ed, const EditorInput& in) {
  // Esc is read once at the start of a pass, which is then an active pass:
  // even an Esc as the very first input lets the level's objects join the
  // world before they are saved.
  if (!in.esc) ed.escarmed = true;
  const bool leaving = in.esc && ed.escarmed && !ed.quitting;
  bool active = mousepass(ed, in);
  active = nudgeended(ed, in) || active;
  if (in.anykey || leaving || in.typed || active) {
    scrollornudge(ed, in);
    wheel(ed, in);
    if (ed.quitting && in.typed)
      answerquit(ed, in);
    else if (in.typed)
      typedkey(ed, in.typed);
    drawpass(ed);
  } else {
    showstatus(ed);
  }
  if (ed.discarded) return EditorOutcome::Leave;
  return leaving ? EditorOutcome::SaveAndLeave : EditorOutcome::Stay;
}

void editorsave(const EditorState& ed) {
  saveobjects(EditedObjectsFile);
  savemap(EditedMapFile, ed.cave);
}

void runeditor() {
  EditorState ed;
  editorstart(ed);
  EditorInputReader input;
  EditorOutcome outcome;
  do {
    checkstop();  // a signal ends the program from here, without saving
    outcome = editorpass(ed, input.read());
    if (outcome == EditorOutcome::Stay) rest(EditorPassMilliseconds);
  } while (outcome == EditorOutcome::Stay);
  show_mouse(nullptr);
  if (outcome == EditorOutcome::SaveAndLeave) editorsave(ed);
}
