// Times the level editor on each shipped level (2560x2560): its first
// redraw, drawing the edited cave, the collision map and the stamps again
// after a cave edit, a check of the level, opening the overview, and the
// passes of dragging an object, driven through the editor's own passes; and
// the pilot's flight of the level, in seconds.
// Usage: editredraw [depth]   (under X; prints medians in milliseconds)

#include <allegro.h>

#include <cmath>
#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "editor.h"
#include "editorlevel.h"
#include "editorstate.h"
#include "editortools.h"
#include "manager.h"
#include "map.h"
#include "support/benchsupport.h"

namespace {

const int Runs = 9;

// Sets level `n` up as the editor gets it; false when it will not load.
bool loadlevel(int n) {
  std::ostringstream trace;
  std::streambuf* saved = std::cout.rdbuf(trace.rdbuf());
  bool ok = true;
  try {
    initlevel(n);
  } catch (const char*) {
    ok = false;
  }
  std::cout.rdbuf(saved);
  return ok;
}

const int DragPasses = 200;

// A pass's input with the pointer at (x, y).
EditorInput pointing(int x, int y, int buttons = 0) {
  EditorInput in;
  in.x = x, in.y = y, in.buttons = buttons;
  return in;
}

EditorInput typing(int c) {
  EditorInput in;
  in.typed = c;
  return in;
}

// The editor's first picture: the cave, then the first pass with the level's
// objects in it.
double firstredraw(EditorState& ed) {
  double t0 = nowms();
  editorstart(ed);
  EditorInput held;
  held.anykey = true;
  editorpass(ed, held);
  return nowms() - t0;
}

// Opening the overview after a cave edit, when its scaled picture is made
// again, and closing it.
double openoverview(EditorState& ed) {
  std::vector<double> open;
  for (int run = 0; run < Runs; run++) {
    ed.overviewpicture.stale();
    double t0 = nowms();
    editorpass(ed, typing('m'));
    open.push_back(nowms() - t0);
    editorpass(ed, typing('m'));
  }
  return median(open);
}

// Passes a second while the first base or tank is dragged round in circles,
// each pass drawn and shown.
double dragpasses(EditorState& ed) {
  GameObject* target = nullptr;
  for (GameObject* obj : levelobjects())
    if (!target && dynamic_cast<StaticObject*>(obj)) target = obj;
  if (!target) return 0;
  centreview(ed, target->position);
  const int x = wholepixel(target->position.x) - ed.view.x, y = wholepixel(target->position.y) - 4 - ed.view.y;
  EditorInput held = pointing(x, y);
  held.anykey = true;
  editorpass(ed, held);  // drawn at the new view: the object can be found
  editorpass(ed, pointing(x, y, 1));
  double t0 = nowms();
  for (int i = 0; i < DragPasses; i++)
    editorpass(ed, pointing(x + int(40 * std::cos(i * 0.1)), y + int(40 * std::sin(i * 0.1)), 1));
  const double seconds = (nowms() - t0) / 1000;
  if (!ed.drag.moved) std::fprintf(stderr, "the drag did not take hold\n");
  editorpass(ed, pointing(x, y));
  editorpass(ed, typing('u'));
  return DragPasses / seconds;
}

// Seconds the pilot takes to fly the level, and how it went.
double pilotseconds(EditorState& ed, std::string& result) {
  double t0 = nowms();
  result = pilotflight(ed.picture, ed.cave, [](const std::string&) {}).result;
  return (nowms() - t0) / 1000;
}

void timelevel(int n) {
  EditorState ed;
  const double first = firstredraw(ed);
  const double overview = openoverview(ed);
  const double passes = dragpasses(ed);
  std::string flown;
  const double pilot = pilotseconds(ed, flown);
  CavePicture& picture = ed.picture;
  Cave cave = ed.cave;
  std::vector<double> redraw, cpu, check;
  for (int run = 0; run < Runs; run++) {
    if (!cave.empty() && !cave[0].points.empty()) cave[0].points[0].x += run % 2 ? 5 : -5;
    double c0 = cpums(), t0 = nowms();
    picture.redraw(cave);
    redraw.push_back(nowms() - t0);
    cpu.push_back(cpums() - c0);
  }
  for (int run = 0; run < 3; run++) {
    double t0 = nowms();
    checkeditedlevel(picture, cave);
    check.push_back(nowms() - t0);
  }
  std::printf("  level %d  %3zu polygons %3zu objects  first %6.1f  redraw %6.2f (processor %6.2f)  check %7.1f"
              "  overview %5.1f  drag %5.0f passes/s\n           pilot %4.1f s: %s\n",
              n, cave.size(), levelobjects().size(), first, median(redraw), median(cpu), median(check), overview,
              passes, pilot, flown.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  int depth = depthfromargs(argc, argv);
  if (!startdisplay(depth)) return 1;
  keeplevelrock(true);
  std::printf("editor at %d-bit, medians in ms: first redraw; after a cave edit (%d runs, limit 150) and its check;\n"
              "opening the overview (limit 50); passes a second dragging an object, unpaced (at least 30)\n",
              depth, Runs);
  for (int n = 1; n <= 6; n++)
    if (loadlevel(n)) timelevel(n);
  initmanager();
  std::printf("peak memory %ld kB\n", peakmemorykb());
  return 0;
}
END_OF_MAIN()
