#include "caveedit.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <string>

#include "textfile.h"

namespace {

// Enough significant digits to tell every float apart.
const int FloatDigits = 9;

std::vector<Point>& pointsof(Cave& cave, CaveVertex v) { return cave[v.polygon].points; }

// The shortest decimal form of v that reads back as exactly v; whole
// numbers, what the editor mostly makes, as plain integers.
std::string coordinate(float v) {
  char text[48];
  if (v == std::trunc(v) && std::fabs(v) < 1e9f) {
    std::snprintf(text, sizeof text, "%.0f", static_cast<double>(v));
    return text;
  }
  for (int digits = 1; digits <= FloatDigits; digits++) {
    std::snprintf(text, sizeof text, "%.*g", digits, static_cast<double>(v));
    if (std::strtof(text, nullptr) == v) break;
  }
  return text;
}

// Refusals name the limits they enforce; made once, so that the editor may
// keep the pointers.
const std::string TooManyPoints = "A cavern holds at most " + std::to_string(MaxPoints) + " points";
const std::string TooFewPoints = "A cavern keeps at least " + std::to_string(MinCavernPoints) + " points";
const std::string TooFewToClose = "A cavern needs at least " + std::to_string(MinCavernPoints) + " points";

}  // namespace

bool isvertex(const Cave& cave, CaveVertex v) {
  return v.polygon >= 0 && v.polygon < static_cast<int>(cave.size()) && v.point >= 0 &&
         v.point < static_cast<int>(cave[v.polygon].points.size());
}

CaveVertex nearestvertex(const Cave& cave, Point at) {
  CaveVertex found;
  double best = 0;
  for (int i = 0; i < static_cast<int>(cave.size()); i++)
    for (int j = 0; j < static_cast<int>(cave[i].points.size()); j++) {
      const Point& p = cave[i].points[j];
      // In double: a far-off point of a hand-written map must not overflow.
      double dx = double(p.x) - at.x, dy = double(p.y) - at.y;
      double d = dx * dx + dy * dy;
      if (found.polygon < 0 || d < best) found = {i, j}, best = d;
    }
  return found;
}

const char* insertvertex(Cave& cave, CaveVertex& v, Point at) {
  std::vector<Point>& points = pointsof(cave, v);
  if (static_cast<int>(points.size()) >= MaxPoints) return TooManyPoints.c_str();
  points.insert(points.begin() + v.point + 1, at);
  v.point++;
  return nullptr;
}

const char* deletevertex(Cave& cave, CaveVertex& v) {
  std::vector<Point>& points = pointsof(cave, v);
  if (static_cast<int>(points.size()) <= MinCavernPoints) return TooFewPoints.c_str();
  points.erase(points.begin() + v.point);
  // The point before it, the last one for the first: the next Delete
  // walks back round the polygon.
  v.point = (v.point + static_cast<int>(points.size()) - 1) % static_cast<int>(points.size());
  return nullptr;
}

CaveVertex addcavern(Cave& cave, Point at) {
  const float left = at.x - NewCavernWidth / 2, right = at.x + NewCavernWidth / 2;
  const float top = at.y - NewCavernHeight / 2, bottom = at.y + NewCavernHeight / 2;
  cave.push_back(Polygon{{{left, top}, {right, top}, {right, bottom}, {left, bottom}}});
  return {static_cast<int>(cave.size()) - 1, 0};
}

void deletecavern(Cave& cave, CaveVertex& v) {
  cave.erase(cave.begin() + v.polygon);
  v = CaveVertex{};
}

const char* addcavernpoint(std::vector<Point>& drawn, Point at) {
  if (static_cast<int>(drawn.size()) >= MaxPoints) return TooManyPoints.c_str();
  drawn.push_back(at);
  return nullptr;
}

const char* closecavern(Cave& cave, const std::vector<Point>& drawn, CaveVertex& v) {
  if (static_cast<int>(drawn.size()) < MinCavernPoints) return TooFewToClose.c_str();
  cave.push_back(Polygon{drawn});
  v = {static_cast<int>(cave.size()) - 1, 0};
  return nullptr;
}

void writemap(std::ostream& out, const Cave& cave) {
  out << cave.size() << "\n";
  for (const Polygon& polygon : cave) {
    out << polygon.points.size();
    for (const Point& p : polygon.points) out << "  " << coordinate(p.x) << " " << coordinate(p.y);
    out << "\n";
  }
}

void savemap(const char* filename, const Cave& cave) {
  savetextfile(filename, [&cave](std::ostream& out) { writemap(out, cave); });
}

bool samecave(const Cave& a, const Cave& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); i++) {
    const std::vector<Point>& p = a[i].points;
    const std::vector<Point>& q = b[i].points;
    if (p.size() != q.size()) return false;
    for (size_t j = 0; j < p.size(); j++)
      if (p[j].x != q[j].x || p[j].y != q[j].y) return false;
  }
  return true;
}
