#include "editor.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "editorkeys.h"
#include "editorstate.h"
#include "manager.h"
#include "map.h"
#include "support/world_support.h"

namespace {

// One cavern from (100, 100) to (900, 400), the objects on its floor. The view starts at (0, 0), so
// screen and level pixels are the same until it scrolls.
const char* const CaveMap = "1 4 100 100 900 100 900 400 100 400";
const char* const Objects = "T 5 300 401\nS 300 343\nT 0 700 401\nT 1 500 401\n";

// A level set up as the editor gets it, and an editor over it driven by made-up input.
class Editing : public ::testing::Test {
 public:
  void SetUp() override {
    initallegro();
    dir = maketempdir();
    writefile(dir + "/map.txt", CaveMap);
    writefile(dir + "/objects.txt", Objects);
    initcave((dir + "/map.txt").c_str());
    testing::internal::CaptureStdout();
    InitObjects((dir + "/objects.txt").c_str());
    testing::internal::GetCapturedStdout();
    ed.reset(new EditorState);
    editorstart(*ed);  // draws the level's objects: the first press finds them
  }
  void TearDown() override { ed.reset(), initmanager(); }

  EditorOutcome pass(EditorInput in) { return editorpass(*ed, in); }
  // Input with the pointer at (x, y) and nothing else; or where it is, with some key held.
  EditorInput at(int x, int y, int buttons = 0) { EditorInput in; in.x = x, in.y = y, in.buttons = buttons; return in; }
  EditorInput held() { EditorInput in = at(x, y); in.anykey = true; return in; }
  void pointto(int px, int py) { pass(at(x = px, y = py)); }
  // A key typed with the pointer where it is: a character, or a scancode.
  EditorOutcome type(int c, int scancode = 0) { EditorInput in = at(x, y); in.typed = scancode << 8 | c; return pass(in); }
  void click(int px, int py) { pass(at(x = px, y = py, 1)), pass(at(px, py)); }
  // The left button pressed at one place, moved through the others and let go at the last.
  void drag(std::vector<std::pair<int, int>> path) {
    for (auto [px, py] : path) pass(at(x = px, y = py, 1));
    pass(at(x, y));
  }
  // Left Shift and an arrow held for `passes` passes, then let go.
  void nudge(bool EditorInput::*arrow, int passes) {
    EditorInput in = held();
    in.lshift = in.*arrow = true;
    for (int i = 0; i < passes; i++) pass(in);
    pass(at(x, y));
  }
  LevelState level() const { return {ed->cave, placedobjects()}; }

  std::string dir;
  std::unique_ptr<EditorState> ed;
  int x = 0, y = 0;
};

bool same(const LevelState& a, const LevelState& b) { return samecave(a.cave, b.cave) && a.objects == b.objects; }

struct EditCase { const char* name; std::function<void(Editing&)> setup, edit; };  // names unique, of letters and _

}  // namespace

// Every kind of edit is one undo step: u gives back the level before it, and r the level after it.
class EditorEdits : public Editing, public ::testing::WithParamInterface<EditCase> {};

TEST_P(EditorEdits, UndoGivesBackTheLevelBeforeAndRedoTheLevelAfter) {
  GetParam().setup(*this);
  const LevelState before = level();
  GetParam().edit(*this);
  const LevelState after = level();
  ASSERT_FALSE(same(before, after)) << "the edit changed nothing; " << ed->message;
  type('u');
  EXPECT_TRUE(same(level(), before)) << ed->message;
  type('r');
  EXPECT_TRUE(same(level(), after)) << ed->message;
  type('u');
  EXPECT_TRUE(same(level(), before)) << "a second undo";
}

namespace {

void nothing(Editing&) {}
EditCase placing(const char* name, char key) { return {name, nothing, [key](Editing& t) { t.pointto(600, 300), t.type(key); }}; }
void cavemode(Editing& t) { t.type('\t', KEY_TAB); }
// Cave mode with the cavern's top-left corner selected, or a new cavern's three points drawn.
void corner(Editing& t) { cavemode(t), t.click(100, 100); }
void drawing(Editing& t) { cavemode(t), t.type('c'), t.click(200, 200), t.click(300, 200), t.click(250, 300); }
// The hydrogen tank, standing at (500, 401), selected.
void tank(Editing& t) { t.click(500, 390); }

const EditCase Edits[] = {
    placing("hydrogen", '1'), placing("oxygen", '2'), placing("HCl", '3'), placing("HF", '4'),
    placing("exit", '5'), placing("start", '%'), placing("blue", '6'), placing("orange", '7'),
    placing("yellow", '8'), placing("green", '9'), placing("ship", '0'),
    {"delete_with_d", tank, [](Editing& t) { t.type('d'); }},
    {"delete_with_Delete", tank, [](Editing& t) { t.type(0, KEY_DEL); }},
    {"nudge_an_object", tank, [](Editing& t) { t.nudge(&EditorInput::right, 3); }},
    {"drag_an_object", nothing, [](Editing& t) { t.drag({{500, 390}, {520, 380}, {560, 370}}); }},
    {"drop_a_tank", [](Editing& t) { t.pointto(600, 300), t.type('1'); }, [](Editing& t) { t.type('g'); }},
    {"drop_the_ship", [](Editing& t) { t.pointto(300, 200), t.type('0'); }, [](Editing& t) { t.type('g'); }},
    {"drag_a_vertex", cavemode, [](Editing& t) { t.drag({{104, 102}, {120, 130}, {150, 160}}); }},
    {"nudge_a_vertex", corner, [](Editing& t) { t.nudge(&EditorInput::down, 4); }},
    {"insert_a_vertex", corner, [](Editing& t) { t.pointto(400, 150), t.type(0, KEY_INSERT); }},
    {"delete_a_vertex", corner, [](Editing& t) { t.type(0, KEY_DEL); }},
    {"new_cavern", cavemode, [](Editing& t) { t.pointto(1200, 300), t.type('n'); }},
    {"delete_a_cavern", corner, [](Editing& t) { t.type('x'); }},
    {"draw_a_cavern_Enter", drawing, [](Editing& t) { t.type('\r'); }},
    {"draw_a_cavern_back_to_the_start", drawing, [](Editing& t) { t.click(205, 195); }},
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(EveryKind, EditorEdits, ::testing::ValuesIn(Edits),
                         [](const auto& info) { return std::string(info.param.name); });

// A press off every object selects the nearest and drags nothing; one on it drags it, however far.
TEST_F(Editing, OnlyAPressOnAnObjectDragsIt) {
  const std::vector<PlacedObject> before = placedobjects();
  drag({{450, 250}, {470, 260}});
  EXPECT_EQ(placedobjects(), before);
  EXPECT_EQ(ed->selection, gameobjects[3]);  // the hydrogen tank
  drag({{505, 380}, {900, 1000}, {1505, 1370}});
  EXPECT_EQ(placedobjects()[3].position.x, 1500);
  EXPECT_EQ(placedobjects()[3].position.y, 1391);
}

// q asks; only y leaves without saving; the Esc that answered must be let go before it saves and leaves.
TEST_F(Editing, QAsksAndOnlyYLeavesWithoutSaving) {
  type('q');
  EXPECT_EQ(ed->message, "Leave without saving? (y/n)");
  EXPECT_EQ(type('n'), EditorOutcome::Stay);
  type('q');
  EditorInput esc = held();
  esc.esc = true, esc.typed = KEY_ESC << 8 | 27;
  EXPECT_EQ(pass(esc), EditorOutcome::Stay);
  esc.typed = 0;
  EXPECT_EQ(pass(esc), EditorOutcome::Stay);
  pass(held());
  EXPECT_EQ(pass(esc), EditorOutcome::SaveAndLeave);
  type('q');
  EXPECT_EQ(type('y'), EditorOutcome::Leave);
}

// The wheel scrolls 64 px a notch, sideways with Shift; the right button drags the level, or in the
// overview the view's rectangle; never past the level's edges.
TEST_F(Editing, WheelAndRightButtonMoveTheView) {
  auto input = [this](int px, int py, int buttons, int wheel = 0, bool shift = false) {
    EditorInput in = at(px, py, buttons);
    in.wheel = wheel, in.shift = shift;
    pass(in);
  };
  auto view = [this] { return std::make_pair(ed->view.x, ed->view.y); };
  ed->view.x = 964, ed->view.y = 404;
  input(300, 300, 0, 2);
  EXPECT_EQ(view(), std::make_pair(964, 276));
  input(300, 300, 0, 100, true);
  EXPECT_EQ(view(), std::make_pair(0, 276));
  input(300, 300, 2), input(250, 290, 2);
  EXPECT_EQ(view(), std::make_pair(50, 286));
  type('m'), input(100, 100, 2), input(10000, 100, 2);
  EXPECT_EQ(view(), std::make_pair(ed->view.maxx, 286));
}

// c draws in cave mode only; points come and go one by one; c again abandons it, leaving nothing to undo.
TEST_F(Editing, DrawingACavernTakesThreeToTwentyPoints) {
  type('c');
  EXPECT_EQ(ed->message, "That key edits the cave: press Tab for cave mode");
  type('\t', KEY_TAB), type('c');
  click(200, 200), click(300, 200), click(202, 201);  // the first point again, but two make no cavern
  EXPECT_EQ(ed->message, "A cavern needs at least 3 points");
  type('\b'), type('\b'), type('\b');
  EXPECT_EQ(ed->message, "No point to take back");
  for (int i = 0; i <= MaxPoints; i++) click(150 + 20 * i, 150 + i % 2 * 100);
  EXPECT_EQ(ed->message, "A cavern holds at most 20 points");
  type('u');
  EXPECT_EQ(ed->message, "Drawing a cavern: Enter closes it, c abandons it");
  type('c'), type('u');
  EXPECT_EQ(ed->cave.size(), 1u);
  EXPECT_EQ(ed->message, "Nothing to undo");
}

TEST_F(Editing, DropPutsATankOnTheFloorAndTheShipWhereTheCheckWantsIt) {
  pointto(600, 150), type('2'), type('g');
  EXPECT_EQ(ed->message, "Dropped: oxygen tank at (600, 401)");
  pointto(600, 50), type('2'), type('g');  // in the rock above the cavern
  EXPECT_EQ(ed->message, "No floor below the oxygen tank");
  type('d'), click(300, 343), type('d');  // that tank, and the level's own ship
  pointto(330, 120), type('0'), type('g');
  EXPECT_EQ(ed->message, "Dropped: ship at (330, 343)");
  type('v');
  EXPECT_EQ(ed->message, "Check: no problems found");
  pointto(800, 120), type('0'), type('g');
  EXPECT_EQ(ed->message, "No start base below the ship");
}

// After an edit the rings stay until the next check, which runs by itself when it was quick.
TEST_F(Editing, RingsStayAfterAnEditUntilTheCheckRunsAgain) {
  pointto(50, 300), type('1'), type('v');  // in rock
  const size_t rings = ed->check.marks.size();
  ASSERT_GT(rings, 0u);
  ed->check.seconds = 1.0;  // a slow check
  type('u');
  EXPECT_EQ(ed->message, "Undone");
  EXPECT_EQ(ed->check.marks.size(), rings);
  type('r');
  ed->check.seconds = 0;  // a quick one
  type('u');
  EXPECT_TRUE(ed->check.marks.empty());
  EXPECT_EQ(ed->message, "Undone. Check: no problems found");
}

TEST_F(Editing, PgDnAndPgUpGoRoundTheProblemsAndCentreTheViewOnEach) {
  type(0, KEY_PGDN);
  EXPECT_EQ(ed->message, "No problems to go to: press v to check the level");
  ed->view.x = ed->view.y = 1000;
  pointto(100, 100), type('6'), pointto(300, 100), type('6');  // wibblets in rock at (1100, 1100) and (1300, 1100)
  ed->view.x = ed->view.y = 0;
  type('v'), type(0, KEY_PGUP);  // from the start, PgUp goes to the last
  EXPECT_EQ(ed->message, "Problem 2 of 2: the blue wibblet at (1300, 1100) overlaps rock");
  type(0, KEY_PGDN);  // and PgDn round to the first
  EXPECT_EQ(ed->message, "Problem 1 of 2: the blue wibblet at (1100, 1100) overlaps rock");
  EXPECT_EQ(std::make_pair(ed->view.x, ed->view.y), std::make_pair(1100 - ScreenWidth / 2, 1100 - ScreenHeight / 2));
}

// The key table makes the help and the reminders: every line fits its row.
TEST_F(Editing, HelpAndRemindersFitTheirRows) {
  for (const std::string& line : helplines()) EXPECT_LE(line.size(), size_t(HelpColumns)) << line;
  EXPECT_EQ(keyhint(*ed), "F1 help  Tab mode  m overview  u undo  r redo  s save  t fly  f pilot  v check");
  for (int key : {'\t', 'c', 'm'}) {  // cave mode, drawing, the overview
    type(key, key == '\t' ? KEY_TAB : 0);
    if (key == 'm') type('c'), type('m');
    EXPECT_EQ(wraprows(keyhint(*ed), MaxNoteRows).size(), 1u) << keyhint(*ed);
  }
}
