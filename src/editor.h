#pragma once

// The level editor's passes and saving; runeditor() runs it.

#include "editorinput.h"
#include "editorkeys.h"

struct EditorState;

// Runs the level editor over the level that initlevel built until Esc, then
// writes every object to EditedObjectsFile and the cave to EditedMapFile,
// so that the two always describe one level. A failed save there throws
// "Save error". Leaving with q writes nothing.
void runeditor();

// What a pass asks of the program.
enum class EditorOutcome { Stay, SaveAndLeave, Leave };

// runeditor's steps, apart so that tests and benchmarks drive the editor
// with made-up input. editorstart shows the level and its objects as the
// editor opens;
// editorpass acts on one pass's input and shows the result (without a
// screen, everything but the showing); editorsave writes what Esc writes.
void editorstart(EditorState& ed);
EditorOutcome editorpass(EditorState& ed, const EditorInput& in);
void editorsave(const EditorState& ed);
