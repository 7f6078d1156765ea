// The editor's key table and what each key does. The table is the one list
// of the editor's keys: the dispatch, the help and the status line's
// reminder are all read from it.

#include <allegro.h>

#include <algorithm>
#include <cmath>
#include <sstream>

#include "common.h"
#include "editor.h"
#include "editorstate.h"
#include "editortools.h"
#include "enemies.h"
#include "errors.h"
#include "manager.h"
#include "map.h"

namespace {

const int ScrollStep = 4;

// Which modes a key works in.
enum Modes { InObjects = 1, InCave = 2, Anywhere = InObjects | InCave };

struct EditorKey;
using KeyAction = void (*)(EditorState&, const EditorKey&);

// One row of the table. A row without an action is input the editor polls
// each pass (held keys and the mouse), listed only in the help.
struct EditorKey {
  const char* name;  // as the help lists it
  int scancode;      // matched on the scancode, or 0
  int character;     // matched on the character, or 0
  int modes;
  const char* help;  // null: listed on the line of the row above
  const char* hint;  // the status line's reminder in objects mode, or null
  const char* cavehint;  // ... in cave mode
  KeyAction act;
  PlacedObject placed;  // what a placing key places
};

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

void place(EditorState& ed, const EditorKey& k) {
  PlacedObject record = k.placed;
  record.position = pointer(ed);
  beginedit(ed);
  GameObject* obj = makeplaced(record);
  addobject(obj);
  ed.selection = obj;
}

void deleteselection(EditorState& ed, const EditorKey&) {
  if (!ed.selection) return;
  beginedit(ed);
  ed.selection->dead = true;
  ed.selection = nullptr;
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

void switchmode(EditorState& ed, const EditorKey&) {
  endmoves(ed);
  ed.cavemode = !ed.cavemode;
}

void togglehelp(EditorState& ed, const EditorKey&) { ed.help = !ed.help; }

// Centres the view on the ship the game would fly (the last one placed),
// or without a ship on the first start base, in whole scroll steps.
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
  auto centred = [](float at, int half, int max) {
    int x = ScrollStep * static_cast<int>(std::lround((at - half) / ScrollStep));
    return x < 0 ? 0 : x > max ? max : x;
  };
  ed.view.x = centred(target->position.x, ScreenWidth / 2, ed.view.maxx);
  ed.view.y = centred(target->position.y, ScreenHeight / 2, ed.view.maxy);
}

void undo(EditorState& ed, const EditorKey&) {
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

void save(EditorState& ed, const EditorKey&) {
  removedeads();  // the level's own objects join the world at the first pass
  if (!savefile(ed, EditedObjectsFile, [] { saveobjects(EditedObjectsFile); })) return;
  ed.message = std::string("Saved ") + EditedObjectsFile;
  if (!ed.cavechanged) return;
  if (savefile(ed, EditedMapFile, [&ed] { savemap(EditedMapFile, ed.cave); }))
    ed.message += std::string(" and ") + EditedMapFile;
}

void fly(EditorState& ed, const EditorKey&) {
  int selected = indexof(ed.selection);
  if (!testflight(ed.picture, ed.cave)) {
    ed.message = "No ship to fly: place one with 0";
    return;
  }
  ed.selection = objectat(selected);
  ed.escarmed = false;  // the Esc that ended the flight must not also end the editor
  ed.message = "Back from the test flight";
}

void check(EditorState& ed, const EditorKey&) {
  CheckOutcome outcome = checkeditedlevel(ed.picture, ed.cave);
  ed.marks = outcome.marks;
  ed.message = outcome.summary;
}

std::string undohelp() {
  return "undo the last edit, up to " + std::to_string(UndoHistory::UndoSteps) + " back";
}

std::string savehelp() { return std::string("save ") + EditedObjectsFile + " (and " + EditedMapFile + ")"; }

std::string newcavernhelp() {
  std::ostringstream s;
  s << "cave: new " << NewCavernWidth << " x " << NewCavernHeight << " cavern at the pointer";
  return s.str();
}

// Texts made from the constants, kept for the table's pointers.
const std::string UndoHelp = undohelp(), SaveHelp = savehelp(), NewCavernHelp = newcavernhelp();

const PlacedObject None{0, 0, {0, 0}};
PlacedObject tank(StaticType t) { return {StaticRecord, t, {0, 0}}; }
PlacedObject wibblet(EnemyType t) { return {EnemyRecord, t, {0, 0}}; }

const EditorKey Keys[] = {
    {"F1", KEY_F1, 0, Anywhere, "show or hide this help", "help", "help", togglehelp, None},
    {"arrows", 0, 0, Anywhere, "scroll the view", nullptr, nullptr, nullptr, None},
    {"left Shift+arrows", 0, 0, Anywhere, "move the selected object or vertex by one pixel", nullptr, nullptr,
     nullptr, None},
    {"left mouse button", 0, 0, Anywhere, "objects: select the nearest object", nullptr, nullptr, nullptr, None},
    {"", 0, 0, Anywhere, "cave: select the nearest vertex; drag to move it", nullptr, "drag a vertex", nullptr,
     None},
    {"1", 0, '1', InObjects, "place a hydrogen, oxygen, HCl or HF tank", nullptr, nullptr, place,
     tank(TankHydrogen)},
    {"2", 0, '2', InObjects, nullptr, nullptr, nullptr, place, tank(TankOxygen)},
    {"3", 0, '3', InObjects, nullptr, nullptr, nullptr, place, tank(TankHCl)},
    {"4", 0, '4', InObjects, nullptr, nullptr, nullptr, place, tank(TankHF)},
    {"5", 0, '5', InObjects, "place the exit base, the start base", nullptr, nullptr, place,
     tank(PlayerBaseExit)},
    {"%", 0, '%', InObjects, nullptr, nullptr, nullptr, place, tank(PlayerBaseStart)},
    {"6", 0, '6', InObjects, "place a blue, orange, yellow or green wibblet", nullptr, nullptr, place,
     wibblet(BlueStaticWibblet)},
    {"7", 0, '7', InObjects, nullptr, nullptr, nullptr, place, wibblet(OrangeWibblet)},
    {"8", 0, '8', InObjects, nullptr, nullptr, nullptr, place, wibblet(YellowWibblet)},
    {"9", 0, '9', InObjects, nullptr, nullptr, nullptr, place, wibblet(GreenWibblet)},
    {"0", 0, '0', InObjects, "place the ship", nullptr, nullptr, place, {ShipRecord, 0, {0, 0}}},
    {"d", 0, 'd', InObjects, "delete the selected object", nullptr, nullptr, deleteselection, None},
    {"Tab", KEY_TAB, 0, Anywhere, "switch between objects mode and cave mode", "cave mode", "objects mode",
     switchmode, None},
    {"Insert", KEY_INSERT, 0, Anywhere, "cave: add a vertex at the pointer after the selected", nullptr, "vertex",
     insertkey, None},
    {"Delete", KEY_DEL, 0, Anywhere, "cave: remove the selected vertex; objects: as d", nullptr, nullptr,
     deletekey, None},
    {"n", 0, 'n', Anywhere, NewCavernHelp.c_str(), nullptr, "new", newcavernkey, None},
    {"x", 0, 'x', Anywhere, "cave: delete the selected vertex's polygon", nullptr, "delete", deletecavernkey,
     None},
    {"u", 0, 'u', Anywhere, UndoHelp.c_str(), "undo", nullptr, undo, None},
    {"s", 0, 's', Anywhere, SaveHelp.c_str(), "save", nullptr, save, None},
    {"t", 0, 't', Anywhere, "test flight from the ship; it ends as a level does", "fly", nullptr, fly, None},
    {"v", 0, 'v', Anywhere, "check the level; red rings mark the problems", "check", nullptr, check, None},
    {"Home", KEY_HOME, 0, Anywhere, "centre the view on the ship", "ship", nullptr, jumptoship, None},
    {"Esc", 0, 0, Anywhere, "save and leave", nullptr, nullptr, nullptr, None},
};

bool matches(const EditorKey& k, int scancode, int c) {
  return k.act && ((k.scancode && k.scancode == scancode) || (k.character && k.character == c));
}

// The help's column of inputs is this wide.
const size_t HelpNameWidth = 19;

}  // namespace

void typedkey(EditorState& ed, int code) {
  const int mode = ed.cavemode ? InCave : InObjects;
  for (const EditorKey& k : Keys)
    if (matches(k, code >> 8, code & 0xff) && (k.modes & mode)) return k.act(ed, k);
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

std::string keyhint(bool cavemode) {
  std::string hint;
  for (const EditorKey& k : Keys) {
    const char* word = cavemode ? k.cavehint : k.hint;
    if (!word) continue;
    if (!hint.empty()) hint += "  ";
    hint += *k.name ? std::string(k.name) + " " + word : word;
  }
  return hint;
}
