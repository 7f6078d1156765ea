#pragma once

#include <string>
#include <vector>

#include "caveedit.h"
#include "classes.h"
#include "common.h"
#include "editorinput.h"
#include "editorlevel.h"
#include "editoroverlay.h"

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
  int pointerx = 0, pointery = 0;  // on the screen, as this pass's input had it
  bool cavemode = false;
  GameObject* selection = nullptr;  // objects mode
  CaveVertex vertex;                // cave mode
  Cave cave;
  bool cavechanged = false;  // once changed, every save writes the cave
  Drag drag;
  bool buttonwasdown = false;
  Nudge nudge = Nudge::None;
  bool escarmed = true;  // an Esc held since before a test flight does not leave
  bool help = false;
  std::string message;  // shown until the next edit or message
  std::vector<CheckMark> marks;
  UndoHistory history;
  CavePicture picture;
  StatusText shown;  // what the status line on the screen says

  EditorState();  // over the level as initlevel built it
};

// The pointer in world pixels.
Point pointer(const EditorState& ed);

// An edit is about to change the level: its state goes on the undo history.
void beginedit(EditorState& ed);
// A cave edit has ended: the cave picture and collision map are drawn again.
void caveedited(EditorState& ed);
// Ends a nudge or drag under way, as letting go of the keys or button would.
void endmoves(EditorState& ed);

// Acts on one key taken from the keyboard buffer (readkey's code) by the
// editor's key table; a key the table lacks does nothing.
void typedkey(EditorState& ed, int code);
// The help's lines and the status line's reminder of the keys, from the
// same table.
std::vector<std::string> helplines();
std::string keyhint(bool cavemode);
