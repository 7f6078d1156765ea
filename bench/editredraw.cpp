// Times the level editor on each shipped level (2560x2560), driven through
// the editor's own passes: its first redraw after a set-up beside the later
// ones after a cave edit, a check of the level, opening the overview, the
// passes a second of dragging an object, and the pilot's flight.
// Usage: editredraw [depth [runs]]   (under X; min / median / max over
// `runs`, default 5; the pilot over at most 3 of them)
//
// Each run sets the level up afresh, as the editor's start does, and then
// redraws it ten times. The first redraw after a set-up is given apart:
// it is the one a designer meets at the first edit.

#include <allegro.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common.h"
#include "editor.h"
#include "editorlevel.h"
#include "editorstate.h"
#include "editortools.h"
#include "manager.h"
#include "map.h"
#include "support/benchsupport.h"

namespace {

const int RedrawsPerRun = 10;
const int DragPasses = 200;
const int PilotRuns = 3;

struct LevelFigures {
  std::vector<double> start, first, later, cpu, check, overview, drag, pilot;
  size_t polygons = 0, objects = 0;
  std::string flown;
};

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

// The editor's opening picture: the cave, then the first pass with the
// level's objects in it.
double opening(EditorState& ed) {
  double t0 = nowms();
  editorstart(ed);
  EditorInput held;
  held.anykey = true;
  editorpass(ed, held);
  return nowms() - t0;
}

// Opening the overview after a cave edit, when its scaled picture is made
// again; then closing it.
double openoverview(EditorState& ed) {
  ed.overviewpicture.stale();
  double t0 = nowms();
  editorpass(ed, typing('m'));
  const double ms = nowms() - t0;
  editorpass(ed, typing('m'));
  return ms;
}

// Passes a second while the first base or tank is dragged round in circles,
// each pass drawn and shown; the drag is then undone.
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

// One run on level `n`: a fresh set-up, the editor's opening, the redraws,
// the check, the overview, a drag and, in the first runs, the pilot.
void runlevel(int n, int run, LevelFigures& f) {
  setuplevel(n, unsigned(n));
  EditorState ed;
  f.start.push_back(opening(ed));
  Cave cave = ed.cave;
  f.polygons = cave.size();
  f.objects = levelobjects().size();
  for (int i = 0; i < RedrawsPerRun; i++) {
    if (!cave.empty() && !cave[0].points.empty()) cave[0].points[0].x += i % 2 ? 5 : -5;
    double c0 = cpums(), t0 = nowms();
    ed.picture.redraw(cave);
    (i == 0 ? f.first : f.later).push_back(nowms() - t0);
    f.cpu.push_back(cpums() - c0);
  }
  double t0 = nowms();
  checkeditedlevel(ed.picture, cave);
  f.check.push_back(nowms() - t0);
  ed.picture.redraw(ed.cave);
  f.overview.push_back(openoverview(ed));
  f.drag.push_back(dragpasses(ed));
  if (run >= PilotRuns) return;
  t0 = nowms();
  f.flown = pilotflight(ed.picture, ed.cave, [](const std::string&) {}).result;
  f.pilot.push_back((nowms() - t0) / 1000);
}

}  // namespace

int main(int argc, char** argv) {
  int depth = depthfromargs(argc, argv);
  int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  if (!startdisplay(depth)) return 1;
  std::printf("the editor at %d-bit, min / median / max of %d runs (the pilot: of %d)\n", depth, runs,
              std::min(runs, PilotRuns));
  std::printf("  opening: editorstart and the first pass, ms; redraw after a cave edit, first and later, ms "
              "(processor time: median; limit 150)\n"
              "  check, ms; overview: opening it, ms (limit 50); drag: passes a second dragging an object, unpaced "
              "(at least 30); pilot: its flight, s (under 15)\n");
  for (int n = 1; n <= NumLevels; n++) {
    LevelFigures f;
    for (int run = 0; run < runs; run++) runlevel(n, run, f);
    std::printf("level %d  %zu polygons  %zu objects\n", n, f.polygons, f.objects);
    std::printf("  opening %s  first redraw %s  later redraws %s (%5.1f)\n", spreadtext(spreadof(f.start), 1).c_str(),
                spreadtext(spreadof(f.first), 1).c_str(), spreadtext(spreadof(f.later), 1).c_str(), median(f.cpu));
    std::printf("  check %s  overview %s  drag %s\n", spreadtext(spreadof(f.check), 0).c_str(),
                spreadtext(spreadof(f.overview), 1).c_str(), spreadtext(spreadof(f.drag), 0).c_str());
    std::printf("  pilot %s s: %s\n", spreadtext(spreadof(f.pilot), 1).c_str(), f.flown.c_str());
    std::fflush(stdout);
  }
  initmanager();
  std::printf("peak memory %ld kB\n", peakmemorykb());
  return 0;
}
END_OF_MAIN()
