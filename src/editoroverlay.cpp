#include "editoroverlay.h"

#include <algorithm>
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

// The ring round a drawn cavern's first point: as far as a click closes it.
const int CloseRingRadius = 16;


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

std::string pointertext(int x, int y, const char* mode, const std::string& selection) {
  std::ostringstream s;
  s << "x " << x << " y " << y << "  " << mode;
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

std::vector<std::string> wraprows(const std::string& text, int rows) {
  std::vector<std::string> out;
  size_t at = 0;
  while (at < text.size() && static_cast<int>(out.size()) < rows) {
    size_t end = at + StatusColumns;
    if (end >= text.size()) {
      out.push_back(text.substr(at));
      return out;
    }
    const size_t space = text.rfind(' ', end);
    if (space != std::string::npos && space > at) end = space;
    out.push_back(text.substr(at, end - at));
    at = text.find_first_not_of(' ', end);
  }
  if (at != std::string::npos && at < text.size() && !out.empty()) out.back() = fitrow(out.back() + " " + text.substr(at));
  return out;
}

int statusheight(const StatusText& status) {
  const int notes = std::max<int>(1, wraprows(status.note, MaxNoteRows).size());
  return (1 + notes) * StatusRowHeight;
}

void drawstatus(BITMAP* target, int x, int y, const StatusText& status) {
  rectfill(target, x, y, x + ScreenWidth - 1, y + statusheight(status) - 1, makecol(24, 28, 48));
  textout_ex(target, font, fitrow(status.where).c_str(), x, y, white(), -1);
  int row = y;
  for (const std::string& line : wraprows(status.note, MaxNoteRows))
    textout_ex(target, font, line.c_str(), x, row += StatusRowHeight, white(), -1);
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

std::vector<MarkedPlace> markedplaces(const std::vector<CheckMark>& marks, int current) {
  std::vector<MarkedPlace> places;
  for (const CheckMark& m : marks) {
    auto same = [&m](const MarkedPlace& p) { return p.x == m.x && p.y == m.y; };
    auto place = std::find_if(places.begin(), places.end(), same);
    if (place == places.end()) place = places.insert(places.end(), {m.x, m.y, "", false});
    place->numbers += (place->numbers.empty() ? "" : ",") + std::to_string(m.number);
    place->current = place->current || m.number == current;
  }
  std::stable_partition(places.begin(), places.end(), [](const MarkedPlace& p) { return !p.current; });
  return places;
}

void drawcheckmarks(BITMAP* target, int originx, int originy, const std::vector<CheckMark>& marks, int current) {
  WindowClip clip(target, originx, originy);
  for (const MarkedPlace& m : markedplaces(marks, current)) {
    const int colour = m.current ? makecol(255, 255, 0) : makecol(255, 0, 0);
    for (int r = MarkRadius; r < MarkRadius + 3; r++) circle(target, m.x, m.y, r, colour);
    textout_ex(target, font, m.numbers.c_str(), m.x + MarkRadius, m.y - MarkRadius - RowHeight, colour, 0);
  }
}

void drawcavernsofar(BITMAP* target, int originx, int originy, const std::vector<Point>& points, Point next) {
  if (points.empty()) return;
  WindowClip clip(target, originx, originy);
  const int cyan = makecol(0, 255, 255);
  for (size_t i = 0; i + 1 < points.size(); i++)
    line(target, drawn(points[i].x), drawn(points[i].y), drawn(points[i + 1].x), drawn(points[i + 1].y), white());
  line(target, drawn(points.back().x), drawn(points.back().y), drawn(next.x), drawn(next.y), cyan);
  for (const Point& a : points)
    rectfill(target, drawn(a.x) - VertexHalf, drawn(a.y) - VertexHalf, drawn(a.x) + VertexHalf,
             drawn(a.y) + VertexHalf, cyan);
  circle(target, drawn(points[0].x), drawn(points[0].y), CloseRingRadius, white());
}

void drawhelp(BITMAP* target, int originx, int originy, const std::vector<std::string>& text) {
  const int lines = static_cast<int>(text.size());
  const int w = HelpColumns * CharWidth + 16, h = lines * (RowHeight + 2) + 16;
  const int x = originx + (ScreenWidth - w) / 2, y = originy + std::max(0, (ScreenHeight - StatusHeight - h) / 2);
  rectfill(target, x, y, x + w - 1, y + h - 1, makecol(16, 20, 36));
  rect(target, x, y, x + w - 1, y + h - 1, white());
  for (int i = 0; i < lines; i++)
    textout_ex(target, font, text[i].c_str(), x + 8, y + 8 + i * (RowHeight + 2), white(), -1);
}
