#pragma once

#include <string>
#include <vector>

#include "caveedit.h"
#include "classes.h"
#include "common.h"
#include "editorinput.h"
#include "editorlevel.h"
#include "editoroverlay.h"
#include "editoroverview.h"
#include "editortools.h"

// The level editor's state between passes, and the steps shared by its
// modules: editor (passes, pointer, drawing) and editorkeys (the key table
// and what each key does). Everything here works on the level initlevel
// built and on the world manager's objects.

// What the editor shows: the level-picture pixel at the screen's top-left
// corner, and how far it may scroll.
struct EditorView {
  int x, y;
  int maxx, maxy;
};

// A vertex or an object dragged with the left button, in world pixels.
struct Drag {
  bool on = false;
  bool moved = false;  // it has left its place: an edit is under way
  Point from{0, 0};    // the pointer at the press
  Point start{0, 0};   // the vertex or object then
};

// The view dragged with the right button, in screen pixels.
struct Pan {
  bool on = false;
  int fromx = 0, fromy = 0;  // the pointer at the press
  int viewx = 0, viewy = 0;  // the view then
};

// What a run of left Shift with the arrows is moving.
enum class Nudge { None, Object, Vertex };

// What the last check found, and which problem PgDn and PgUp went to.
struct CheckFound {
  bool asked = false;   // a check has run: edits run it again when quick
  double seconds = 0;   // how long it took
  std::vector<FoundProblem> problems;
  std::vector<CheckMark> marks;
  int current = -1;     // index into problems, or -1
};

struct EditorState {
  EditorView view{0, 0, backgroundWidth - ScreenWidth, backgroundHeight - ScreenHeight};
  int pointerx = 0, pointery = 0;  // on the screen, as this pass's input had it
  bool cavemode = false;
  GameObject* selection = nullptr;  // objects mode
  CaveVertex vertex;                // cave mode
  Cave cave;
  Drag drag;
  Point pressedat{0, 0};      // where the left button went down
  bool buttonwasdown = false;
  bool buttonused = false;    // the press acted on the overview or a drawing
  Pan pan;
  Nudge nudge = Nudge::None;
  bool overview = false;      // the overview is shown instead of the view
  bool drawing = false;       // a cavern is being drawn
  std::vector<Point> drawn;   // its points so far
  bool quitting = false;      // q asked whether to leave without saving
  bool discarded = false;     // ... and y answered
  bool escarmed = true;       // an Esc held since a flight or the question does not leave
  bool help = false;
  std::string message;        // shown until the next edit or message
  CheckFound check;
  std::vector<Point> route;   // the pilot's last flight, until the next edit
  std::string flown;          // its result
  UndoHistory history;
  CavePicture picture;
  Overview overviewpicture;
  BITMAP* frame = nullptr;    // the overview is composed here, then shown
  StatusText shown;           // what the status line on the screen says
  int shownheight = 0;        // its height there

  EditorState();  // over the level as initlevel built it
  ~EditorState();
  EditorState(const EditorState&) = delete;
  EditorState& operator=(const EditorState&) = delete;
};

// The pointer in world pixels.
Point pointer(const EditorState& ed);
// Puts an object somewhere else, to be drawn there.
void moveobject(GameObject* obj, Point to);
// Keeps the view within the level; positions stay whole scroll steps for
// the arrows when they were.
void clampview(EditorView& view);
// Centres the view on a world point, as near as the level's edges allow.
void centreview(EditorState& ed, Point at);

// An edit is about to change the level: its state goes on the undo history.
void beginedit(EditorState& ed);
// An edit has ended: the check runs again when it is quick.
void editdone(EditorState& ed);
// A cave edit has ended: the cave picture and collision map are drawn again.
void caveedited(EditorState& ed);
// Ends a nudge or drag under way, as letting go of the keys or button would.
void endmoves(EditorState& ed);
// Adds the cavern drawn to the cave, or says why not.
void closedrawing(EditorState& ed);
// Puts `note` on the status line at once, as a pass would: for a note
// while the editor is busy.
void shownote(EditorState& ed, const std::string& note);
// Runs the check and keeps what it found.
void runcheck(EditorState& ed);

// Acts on one key taken from the keyboard buffer (readkey's code) by the
// editor's key table; a key the table lacks does nothing.
void typedkey(EditorState& ed, int code);
// The help's lines and the status line's reminder of the keys, from the
// same table.
std::vector<std::string> helplines();
std::string keyhint(const EditorState& ed);
