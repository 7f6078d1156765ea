#include "editoroverlay.h"

#include <cmath>
#include <sstream>

#include "map.h"
#include "common.h"

namespace {

// The default 8x8 font: the status line holds 80 characters a row.
const int CharWidth = 8;
const int RowHeight = 8;
const int StatusColumns = ScreenWidth / CharWidth;

// Cave points far off the picture are drawn at this bound: it keeps
// Allegro's line clipping well inside int arithmetic.
const float DrawLimit = 4000.0f;

// Half the side of a vertex's square, and of the selected vertex's frame.
const int VertexHalf = 2;
const int SelectedHalf = 5;

const int MarkRadius = 30;

const char* const HelpLines[] = {
    "Level editor keys                                  F1: close this help",
    "",
    "arrows             scroll the view",
    "left Shift+arrows  move the selected object or vertex by one pixel",
    "left mouse button  objects: select the nearest object",
    "                   cave: select the nearest vertex; drag to move it",
    "1 2 3 4            place a hydrogen, oxygen, HCl or HF tank",
    "5  %               place the exit base, the start base",
    "6 7 8 9            place a blue, orange, yellow or green wibblet",
    "0                  place the ship",
    "d                  delete the selected object",
    "Tab                switch between objects mode and cave mode",
    "Insert             cave: add a vertex at the pointer after the selected",
    "Delete             cave: remove the selected vertex; objects: as d",
    "n                  cave: new 200 x 150 cavern at the pointer",
    "x                  cave: delete the selected vertex's polygon",
    "u                  undo the last edit",
    "s                  save leveledited.txt (and leveleditedmap.txt)",
    "t                  test flight from the ship; it ends as a level does",
    "v                  check the level; red rings mark the problems",
    "Home               centre the view on the ship",
    "F1                 show or hide this help",
    "Esc                save and leave",
};

int white() { return makecol(255, 255, 255); }

int drawn(float v) {
  if (std::isnan(v)) return 0;
  return static_cast<int>(std::fmax(-DrawLimit, std::fmin(DrawLimit, v)));
}

// Drawing at world positions stays inside the window at the origin.
struct WindowClip {
  BITMAP* target;
  int cl, ct, cr, cb;
  WindowClip(BITMAP* t, int x, int y) : target(t) {
    get_clip_rect(t, &cl, &ct, &cr, &cb);
    set_clip_rect(t, x, y, x + ScreenWidth - 1, y + ScreenHeight - 1);
  }
  ~WindowClip() { set_clip_rect(target, cl, ct, cr, cb); }
};

void drawpolygon(BITMAP* target, const Polygon& polygon, int colour) {
  const std::vector<Point>& p = polygon.points;
  for (size_t j = 0; j < p.size(); j++) {
    const Point& a = p[j];
    const Point& b = p[(j + 1) % p.size()];
    line(target, drawn(a.x), drawn(a.y), drawn(b.x), drawn(b.y), colour);
  }
  for (const Point& a : p)
    rectfill(target, drawn(a.x) - VertexHalf, drawn(a.y) - VertexHalf, drawn(a.x) + VertexHalf,
             drawn(a.y) + VertexHalf, makecol(0, 255, 255));
}

}  // namespace

std::string pointertext(int x, int y, bool cavemode, const std::string& selection) {
  std::ostringstream s;
  s << "x " << x << " y " << y << "  " << (cavemode ? "cave" : "objects");
  if (!selection.empty()) s << "  " << selection;
  return s.str();
}

std::string objecttext(char letter, int type, Point at) {
  std::ostringstream s;
  s << objectname(letter, type) << " at (" << wholepixel(at.x) << ", " << wholepixel(at.y) << ")";
  return s.str();
}

std::string vertextext(const Cave& cave, CaveVertex v) {
  if (!isvertex(cave, v)) return "";
  const std::vector<Point>& points = cave[v.polygon].points;
  const Point& p = points[v.point];
  std::ostringstream s;
  s << "polygon " << v.polygon + 1 << " of " << cave.size() << ", vertex " << v.point + 1 << " of "
    << points.size() << " at (" << wholepixel(p.x) << ", " << wholepixel(p.y) << ")";
  return s.str();
}

std::string fitrow(const std::string& text) {
  if (static_cast<int>(text.size()) <= StatusColumns) return text;
  return text.substr(0, StatusColumns - 3) + "...";
}

void drawstatus(BITMAP* target, int x, int y, const StatusText& status) {
  rectfill(target, x, y, x + ScreenWidth - 1, y + StatusHeight - 1, makecol(24, 28, 48));
  textout_ex(target, font, fitrow(status.where).c_str(), x, y, white(), -1);
  textout_ex(target, font, fitrow(status.note).c_str(), x, y + RowHeight, white(), -1);
}

void drawcaveoutline(BITMAP* target, int originx, int originy, const Cave& cave, CaveVertex selected) {
  WindowClip clip(target, originx, originy);
  for (int i = 0; i < static_cast<int>(cave.size()); i++)
    if (i != selected.polygon) drawpolygon(target, cave[i], makecol(255, 200, 0));
  if (!isvertex(cave, selected)) return;
  // The selected polygon last, so that it lies over its neighbours.
  drawpolygon(target, cave[selected.polygon], white());
  const Point& p = cave[selected.polygon].points[selected.point];
  int x = drawn(p.x), y = drawn(p.y);
  rect(target, x - SelectedHalf, y - SelectedHalf, x + SelectedHalf, y + SelectedHalf, white());
  rect(target, x - SelectedHalf - 1, y - SelectedHalf - 1, x + SelectedHalf + 1, y + SelectedHalf + 1,
       makecol(255, 0, 255));
}

void drawcheckmarks(BITMAP* target, int originx, int originy, const std::vector<CheckMark>& marks) {
  WindowClip clip(target, originx, originy);
  const int red = makecol(255, 0, 0);
  for (const CheckMark& m : marks) {
    for (int r = MarkRadius; r < MarkRadius + 3; r++) circle(target, m.x, m.y, r, red);
    std::string number = std::to_string(m.number);
    textout_ex(target, font, number.c_str(), m.x + MarkRadius, m.y - MarkRadius - RowHeight, red, 0);
  }
}

void drawhelp(BITMAP* target, int originx, int originy) {
  const int lines = sizeof HelpLines / sizeof HelpLines[0];
  const int w = 76 * CharWidth + 16, h = lines * (RowHeight + 2) + 16;
  const int x = originx + (ScreenWidth - w) / 2, y = originy + (ScreenHeight - StatusHeight - h) / 2;
  rectfill(target, x, y, x + w - 1, y + h - 1, makecol(16, 20, 36));
  rect(target, x, y, x + w - 1, y + h - 1, white());
  for (int i = 0; i < lines; i++)
    textout_ex(target, font, HelpLines[i], x + 8, y + 8 + i * (RowHeight + 2), white(), -1);
}
