// The editor's key table and what each key does. The table is the one list
// of the editor's keys: the dispatch, the help and the status line's
// reminder are all read from it.

#include "editorkeys.h"

#include <allegro.h>

#include <algorithm>
#include <sstream>

#include "common.h"
#include "editorstate.h"
#include "enemies.h"
#include "errors.h"
#include "manager.h"
#include "map.h"

namespace {

// Where a key works: the editor's two modes, the overview over either, and
// drawing a cavern in cave mode.
enum Where { InObjects = 1, InCave = 2, InOverview = 4, InDrawing = 8 };
const int Editing = InObjects | InCave;
const int Viewing = Editing | InOverview;
const int Anywhere = Viewing | InDrawing;

int where(const EditorState& ed) {
  return ed.overview ? InOverview : ed.drawing ? InDrawing : ed.cavemode ? InCave : InObjects;
}

struct EditorKey;
using KeyAction = void (*)(EditorState&, const EditorKey&);

// A word for the status line's reminder of the keys, where it is shown.
struct Hint {
  int where = 0;
  const char* text = nullptr;
};

// One row of the table. A row without an action is input the editor polls
// each pass (held keys and the mouse), listed in the help.
struct EditorKey {
  const char* name;  // as the help lists it
  int scancode;      // matched on the scancode, or 0
  int character;     // matched on the character, or 0
  int works;         // Where bits
  const char* help;  // null: listed on the line of the row above
  KeyAction act;
  Hint hints[2];
  PlacedObject placed;  // what a placing key places
};

// What the level is now, for the undo history.
LevelState levelnow(const EditorState& ed) { return {ed.cave, placedobjects()}; }

int indexof(const GameObject* obj) {
  std::vector<GameObject*> objects = levelobjects();
  for (size_t i = 0; i < objects.size(); i++)
    if (objects[i] == obj) return static_cast<int>(i);
  return -1;
}

GameObject* objectat(int index) {
  std::vector<GameObject*> objects = levelobjects();
  return index >= 0 && index < static_cast<int>(objects.size()) ? objects[index] : nullptr;
}

void place(EditorState& ed, const EditorKey& k) {
  PlacedObject record = k.placed;
  record.position = pointer(ed);
  beginedit(ed);
  GameObject* obj = makeplaced(record);
  addobject(obj);
  ed.selection = obj;
  editdone(ed);
}

void deleteselection(EditorState& ed, const EditorKey&) {
  if (!ed.selection) return;
  beginedit(ed);
  ed.selection->dead = true;
  ed.selection = nullptr;
  editdone(ed);
}

const char* const CaveKey = "That key edits the cave: press Tab for cave mode";
const char* const NoVertex = "Select a vertex first: click near it";

// Runs a cave edit on a copy, so that a refused edit changes nothing.
template <class Edit>
void editcave(EditorState& ed, Edit edit) {
  if (!ed.cavemode) {
    ed.message = CaveKey;
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
  editdone(ed);
}

void insertkey(EditorState& ed, const EditorKey&) {
  Point at = pointer(ed);
  editcave(ed, [at](Cave& cave, CaveVertex& v) {
    return isvertex(cave, v) ? insertvertex(cave, v, at) : NoVertex;
  });
}

void deletekey(EditorState& ed, const EditorKey& k) {
  if (!ed.cavemode) return deleteselection(ed, k);
  editcave(ed, [](Cave& cave, CaveVertex& v) { return isvertex(cave, v) ? deletevertex(cave, v) : NoVertex; });
}

void newcavernkey(EditorState& ed, const EditorKey&) {
  Point at = pointer(ed);
  editcave(ed, [at](Cave& cave, CaveVertex& v) -> const char* {
    v = addcavern(cave, at);
    return nullptr;
  });
}

void deletecavernkey(EditorState& ed, const EditorKey&) {
  editcave(ed, [](Cave& cave, CaveVertex& v) -> const char* {
    if (!isvertex(cave, v)) return NoVertex;
    deletecavern(cave, v);
    return nullptr;
  });
}

// c starts drawing a cavern, and abandons one being drawn.
void drawkey(EditorState& ed, const EditorKey&) {
  if (!ed.cavemode) {
    ed.message = CaveKey;
    return;
  }
  endmoves(ed);
  ed.message = ed.drawing ? "Drawing abandoned" : "";
  ed.drawing = !ed.drawing;
  ed.drawn.clear();
}

void closekey(EditorState& ed, const EditorKey&) { closedrawing(ed); }

void backkey(EditorState& ed, const EditorKey&) {
  if (ed.drawn.empty()) {
    ed.message = "No point to take back";
    return;
  }
  ed.drawn.pop_back();
  ed.message.clear();
}

void switchmode(EditorState& ed, const EditorKey&) {
  endmoves(ed);
  ed.cavemode = !ed.cavemode;
}

void togglehelp(EditorState& ed, const EditorKey&) { ed.help = !ed.help; }

void toggleoverview(EditorState& ed, const EditorKey&) {
  endmoves(ed);
  ed.overview = !ed.overview;
}

// Centres the view on the ship the game would fly (the last one placed),
// or without a ship on the first start base.
void jumptoship(EditorState& ed, const EditorKey&) {
  GameObject* target = nullptr;
  for (GameObject* obj : levelobjects()) {
    StaticObject* s = dynamic_cast<StaticObject*>(obj);
    if (dynamic_cast<Ship*>(obj) || (s && s->type == PlayerBaseStart && !target)) target = obj;
  }
  if (!target) {
    ed.message = "No ship or start base to go to";
    return;
  }
  centreview(ed, target->position);
}

// g: the selected base or tank onto the floor below it, the ship onto its
// start base.
void dropkey(EditorState& ed, const EditorKey&) {
  PlacedObject record;
  if (!ed.selection || !recordof(ed.selection, record) || record.letter == EnemyRecord) {
    ed.message = "Select a base, a tank or the ship to drop: wibblets hover";
    return;
  }
  const std::string name = objectname(record.letter, record.type);
  ed.picture.restamp(ed.cave);
  Point to;
  if (!dropplace(ed.selection, ed.picture.caveonly(), to)) {
    ed.message = record.letter == ShipRecord ? "No start base below the ship" : "No floor below the " + name;
    return;
  }
  if (to.x == record.position.x && to.y == record.position.y) {
    ed.message = "The " + name + " stands there already";
    return;
  }
  beginedit(ed);
  moveobject(ed.selection, to);
  ed.message = "Dropped: " + objecttext(record.letter, record.type, to);
  editdone(ed);
}

// Puts the level back to `state`, keeping the selection's place in the list.
void restore(EditorState& ed, LevelState state) {
  ed.drag = Drag{};
  ed.nudge = Nudge::None;
  if (placedobjects() != state.objects) {
    int selected = indexof(ed.selection);
    replaceobjects(state.objects);
    ed.selection = objectat(selected);
    refreshvscreen();
  }
  if (!samecave(ed.cave, state.cave)) {
    ed.cave = std::move(state.cave);
    caveedited(ed);
  }
  if (!isvertex(ed.cave, ed.vertex)) ed.vertex = CaveVertex{};
}

void undo(EditorState& ed, const EditorKey&) {
  if (ed.history.empty()) {
    ed.message = "Nothing to undo";
    return;
  }
  restore(ed, ed.history.undo(levelnow(ed)));
  ed.message = "Undone";
  editdone(ed);
}

void redo(EditorState& ed, const EditorKey&) {
  if (!ed.history.canredo()) {
    ed.message = "Nothing to redo";
    return;
  }
  restore(ed, ed.history.redo(levelnow(ed)));
  ed.message = "Redone";
  editdone(ed);
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

// Both files every time, so that they always describe one level.
void save(EditorState& ed, const EditorKey&) {
  removedeads();  // the level's own objects join the world at the first pass
  if (!savefile(ed, EditedObjectsFile, [] { saveobjects(EditedObjectsFile); })) return;
  if (!savefile(ed, EditedMapFile, [&ed] { savemap(EditedMapFile, ed.cave); })) return;
  ed.message = std::string("Saved ") + EditedObjectsFile + " and " + EditedMapFile;
}

void quitkey(EditorState& ed, const EditorKey&) {
  ed.quitting = true;
  ed.message = "Leave without saving? (y/n)";
}

void fly(EditorState& ed, const EditorKey&) {
  int selected = indexof(ed.selection);
  if (!testflight(ed.picture, ed.cave)) {
    ed.message = "No ship to fly: place one with 0";
    return;
  }
  ed.selection = objectat(selected);
  ed.escarmed = false;  // the Esc that ended the flight must not also end the editor
  ed.overviewpicture.stale();
  ed.message = "Back from the test flight";
}

void check(EditorState& ed, const EditorKey&) { runcheck(ed); }

// f: the game's pilot flies the level; its route and result go on the
// overview.
void pilotkey(EditorState& ed, const EditorKey&) {
  const int selected = indexof(ed.selection);
  endmoves(ed);
  const std::string flying = "The pilot is flying the level";
  shownote(ed, flying + "...");
  PilotOutcome outcome =
      pilotflight(ed.picture, ed.cave, [&ed, &flying](const std::string& done) { shownote(ed, flying + ": " + done); });
  ed.selection = objectat(selected);
  ed.escarmed = false;  // an Esc pressed meanwhile does not leave
  ed.route = std::move(outcome.route);
  ed.flown = outcome.result;
  ed.message = outcome.result;
  ed.overview = true;
  ed.overviewpicture.stale();
}

// PgDn and PgUp: the next or previous problem, round and round.
void gotoproblem(EditorState& ed, int step) {
  CheckFound& found = ed.check;
  const int n = static_cast<int>(found.problems.size());
  if (n == 0) {
    ed.message = found.asked ? "The check found no problems" : "No problems to go to: press v to check the level";
    return;
  }
  found.current = found.current < 0 ? (step > 0 ? 0 : n - 1) : (found.current + step + n) % n;
  const FoundProblem& p = found.problems[found.current];
  if (p.placed) centreview(ed, {static_cast<float>(p.x), static_cast<float>(p.y)});
  ed.message = "Problem " + std::to_string(found.current + 1) + " of " + std::to_string(n) + ": " + p.words;
}

void nextproblem(EditorState& ed, const EditorKey&) { gotoproblem(ed, 1); }
void previousproblem(EditorState& ed, const EditorKey&) { gotoproblem(ed, -1); }

std::string undohelp() {
  return "undo the last edit, up to " + std::to_string(UndoHistory::UndoSteps) + " back";
}

std::string savehelp() { return std::string("save ") + EditedObjectsFile + " and " + EditedMapFile; }

std::string newcavernhelp() {
  std::ostringstream s;
  s << "cave: new " << NewCavernWidth << " x " << NewCavernHeight << " cavern at the pointer";
  return s.str();
}

std::string drawhelp() {
  return "cave: draw a cavern, " + std::to_string(MinCavernPoints) + " to " + std::to_string(MaxPoints) +
         " points; c again abandons it";
}

// Texts made from the constants, kept for the table's pointers.
const std::string UndoHelp = undohelp(), SaveHelp = savehelp(), NewCavernHelp = newcavernhelp(),
                  DrawHelp = drawhelp();

const PlacedObject None{0, 0, {0, 0}};
PlacedObject tank(StaticType t) { return {StaticRecord, t, {0, 0}}; }
PlacedObject wibblet(EnemyType t) { return {EnemyRecord, t, {0, 0}}; }

const EditorKey Keys[] = {
    {"F1", KEY_F1, 0, Anywhere, "show or hide this help", togglehelp, {{Anywhere, "help"}}, None},
    {"arrows", 0, 0, Anywhere, "scroll the view", nullptr, {}, None},
    {"wheel", 0, 0, Anywhere, "scroll up and down; with Shift, left and right", nullptr, {}, None},
    {"right button", 0, 0, Anywhere, "drag to move the view", nullptr, {}, None},
    {"left Shift+arrows", 0, 0, Anywhere, "move the selected object or vertex by a pixel", nullptr, {}, None},
    {"left mouse button", 0, 0, Anywhere, "objects: select the nearest object; drag one to move it", nullptr, {},
     None},
    {"", 0, 0, Anywhere, "cave: select the nearest vertex; drag to move it", nullptr, {}, None},
    {"", 0, 0, Anywhere, "drawing: add a point; on the first, close the cavern", nullptr,
     {{InDrawing, "click adds a point"}}, None},
    {"", 0, 0, Anywhere, "overview: go to the place clicked", nullptr, {{InOverview, "click goes there"}}, None},
    {"1", 0, '1', InObjects, "place a hydrogen, oxygen, HCl or HF tank", place, {}, tank(TankHydrogen)},
    {"2", 0, '2', InObjects, nullptr, place, {}, tank(TankOxygen)},
    {"3", 0, '3', InObjects, nullptr, place, {}, tank(TankHCl)},
    {"4", 0, '4', InObjects, nullptr, place, {}, tank(TankHF)},
    {"5", 0, '5', InObjects, "place the exit base, the start base", place, {}, tank(PlayerBaseExit)},
    {"%", 0, '%', InObjects, nullptr, place, {}, tank(PlayerBaseStart)},
    {"6", 0, '6', InObjects, "place a blue, orange, yellow or green wibblet", place, {}, wibblet(BlueStaticWibblet)},
    {"7", 0, '7', InObjects, nullptr, place, {}, wibblet(OrangeWibblet)},
    {"8", 0, '8', InObjects, nullptr, place, {}, wibblet(YellowWibblet)},
    {"9", 0, '9', InObjects, nullptr, place, {}, wibblet(GreenWibblet)},
    {"0", 0, '0', InObjects, "place the ship", place, {}, {ShipRecord, 0, {0, 0}}},
    {"d", 0, 'd', InObjects, "delete the selected object", deleteselection, {}, None},
    {"g", 0, 'g', InObjects, "drop the selection: base or tank to floor, ship to base", dropkey, {},
     None},
    {"Tab", KEY_TAB, 0, Editing, "switch between objects mode and cave mode", switchmode, {{Editing, "mode"}}, None},
    {"Insert", KEY_INSERT, 0, Editing, "cave: add a vertex at the pointer after the selected", insertkey,
     {{InCave, "add"}}, None},
    {"Delete", KEY_DEL, 0, Editing, "cave: remove the selected vertex; objects: as d", deletekey,
     {{InCave, "remove"}}, None},
    {"n", 0, 'n', Editing, NewCavernHelp.c_str(), newcavernkey, {{InCave, "new"}}, None},
    {"c", 0, 'c', Editing | InDrawing, DrawHelp.c_str(), drawkey, {{InCave, "draw"}, {InDrawing, "abandon"}}, None},
    {"Enter", 0, '\r', InDrawing, "drawing: close the cavern", closekey, {{InDrawing, "closes"}}, None},
    {"Backspace", 0, '\b', InDrawing, "drawing: take the last point back", backkey, {{InDrawing, "takes back"}},
     None},
    {"x", 0, 'x', Editing, "cave: delete the selected vertex's polygon", deletecavernkey, {{InCave, "delete"}}, None},
    {"m", 0, 'm', Viewing, "show or hide the overview of the whole level", toggleoverview,
     {{InObjects, "overview"}, {InOverview, "back"}}, None},
    {"u", 0, 'u', Viewing, UndoHelp.c_str(), undo, {{InObjects, "undo"}}, None},
    {"r", 0, 'r', Viewing, "redo what undo took back", redo, {{InObjects, "redo"}}, None},
    {"s", 0, 's', Anywhere, SaveHelp.c_str(), save, {{InObjects, "save"}}, None},
    {"t", 0, 't', Viewing, "test flight from the ship; it ends as a level does", fly, {{InObjects, "fly"}}, None},
    {"f", 0, 'f', Viewing, "the game's pilot flies the level; the overview shows how", pilotkey,
     {{InObjects | InOverview, "pilot"}}, None},
    {"v", 0, 'v', Anywhere, "check the level; red rings mark the problems", check,
     {{InObjects | InOverview, "check"}}, None},
    {"PgDn", KEY_PGDN, 0, Anywhere, "go to the next, the previous problem found", nextproblem,
     {{InOverview, "problems"}}, None},
    {"PgUp", KEY_PGUP, 0, Anywhere, nullptr, previousproblem, {}, None},
    {"Home", KEY_HOME, 0, Anywhere, "centre the view on the ship", jumptoship, {}, None},
    {"Esc", 0, 0, Anywhere, "save and leave", nullptr, {}, None},
    {"q", 0, 'q', Anywhere, "leave without saving (asks first)", quitkey, {}, None},
};

bool matches(const EditorKey& k, int scancode, int c) {
  return k.act && ((k.scancode && k.scancode == scancode) || (k.character && k.character == c));
}

// The help's column of inputs is this wide.
const size_t HelpNameWidth = 19;

}  // namespace

void closedrawing(EditorState& ed) {
  Cave edited = ed.cave;
  CaveVertex vertex;
  if (const char* refused = closecavern(edited, ed.drawn, vertex)) {
    ed.message = refused;
    return;
  }
  beginedit(ed);
  ed.cave = std::move(edited);
  ed.vertex = vertex;
  ed.drawing = false;
  ed.drawn.clear();
  caveedited(ed);
  editdone(ed);
}

void typedkey(EditorState& ed, int code) {
  const int here = where(ed);
  for (const EditorKey& k : Keys) {
    if (!matches(k, code >> 8, code & 0xff)) continue;
    if (k.works & here) return k.act(ed, k);
    // A key of the editing modes in the overview or while drawing.
    if (here == InOverview) ed.message = "The overview: click a place or press m to edit";
    if (here == InDrawing) ed.message = "Drawing a cavern: Enter closes it, c abandons it";
    return;
  }
}

std::vector<std::string> helplines() {
  std::vector<std::string> lines{"Level editor keys                                  F1: close this help", ""};
  std::string names, help;
  auto flush = [&] {
    if (help.empty()) return;
    names.resize(std::max(names.size() + 1, HelpNameWidth), ' ');
    lines.push_back(names + help);
  };
  for (const EditorKey& k : Keys) {
    if (!k.help) {
      names += std::string(" ") + k.name;
      continue;
    }
    flush();
    names = k.name;
    help = k.help;
  }
  flush();
  return lines;
}

std::string keyhint(const EditorState& ed) {
  const int here = where(ed);
  std::string hint;
  for (const EditorKey& k : Keys)
    for (const Hint& h : k.hints) {
      if (!(h.where & here)) continue;
      if (!hint.empty()) hint += "  ";
      hint += *k.name ? std::string(k.name) + " " + h.text : h.text;
    }
  return hint;
}
