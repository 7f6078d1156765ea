#include "pilotplan.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <queue>

#include "reach.h"

namespace pilot {

namespace {

const float Unreached = std::numeric_limits<float>::infinity();

float distance(Point a, Point b) { return std::hypot(a.x - b.x, a.y - b.y); }

// Extra cost factor of a cell: high in cramped passages and near keep-outs.
float cellweight(float clearance, Point at, const std::vector<Keepout>& keepouts) {
  float weight = 1.0f;
  if (clearance < ComfortableClearance) {
    float cramp = (ComfortableClearance - clearance) / (ComfortableClearance - MinClearance);
    weight += CrampedWeight * cramp * cramp;
  }
  for (const Keepout& k : keepouts) {
    float d = distance(at, k.at);
    if (d < k.wide) weight += KeepoutWeight * (1.0f - d / k.wide);
  }
  return weight;
}

bool keptout(Point at, const std::vector<Keepout>& keepouts) {
  for (const Keepout& k : keepouts)
    if (distance(at, k.at) < k.radius) return true;
  return false;
}

// Points along a polyline every `step` pixels, both ends kept.
std::vector<Point> resample(const std::vector<Point>& line, float step) {
  std::vector<Point> out;
  if (line.empty()) return out;
  out.push_back(line[0]);
  float carried = 0;  // length walked since the last point put out
  for (size_t i = 1; i < line.size(); i++) {
    Point a = line[i - 1], b = line[i];
    float len = distance(a, b);
    float along = step - carried;
    while (along <= len) {
      float t = along / len;
      out.push_back({a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t});
      along += step;
    }
    carried = len - (along - step);
  }
  if (distance(out.back(), line.back()) > 0.5f) out.push_back(line.back());
  return out;
}

// Moving averages that round off the grid's zigzags and corners, except
// where they would take the ship closer to rock.
std::vector<Point> smooth(const Clearance& cave, std::vector<Point> points) {
  const int n = int(points.size());
  for (int pass = 0; pass < SmoothPasses; pass++) {
    std::vector<Point> next = points;
    for (int i = 1; i < n - 1; i++) {
      int lo = std::max(0, i - SmoothHalfWidth), hi = std::min(n - 1, i + SmoothHalfWidth);
      Point sum{0, 0};
      for (int j = lo; j <= hi; j++) sum = {sum.x + points[j].x, sum.y + points[j].y};
      Point mean{sum.x / (hi - lo + 1), sum.y / (hi - lo + 1)};
      float before = cave.at(points[i].x, points[i].y);
      if (cave.at(mean.x, mean.y) >= std::min(before, SmoothedRoom)) next[i] = mean;
    }
    points = next;
  }
  return points;
}

// Turn per pixel at point i, measured over BendSpan points either side.
float bend(const std::vector<Point>& p, int i) {
  const int n = int(p.size());
  int a = std::max(0, i - BendSpan), b = std::min(n - 1, i + BendSpan);
  if (a == i || b == i) return 0;
  float h1 = std::atan2(p[i].y - p[a].y, p[i].x - p[a].x);
  float h2 = std::atan2(p[b].y - p[i].y, p[b].x - p[i].x);
  float turn = std::fabs(std::remainder(h2 - h1, 2.0f * float(M_PI)));
  return turn / (distance(p[a], p[i]) + distance(p[i], p[b]) + 1e-3f) * 2.0f;
}

}  // namespace

Clearance::Clearance(BITMAP* solid) : w(solid->w), h(solid->h), distance(solidsqdistances(solid)) {
  for (float& d : distance) d = std::sqrt(d);
}

float Clearance::at(float x, float y) const {
  if (!(x >= 0 && y >= 0 && x < w && y < h)) return 0;
  return distance[size_t(int(y)) * w + int(x)];
}

Point Clearance::away(float x, float y) const {
  const float step = 2.0f;
  float gx = at(x + step, y) - at(x - step, y);
  float gy = at(x, y + step) - at(x, y - step);
  float len = std::hypot(gx, gy);
  if (len < 1e-3f) return {0, 0};
  return {gx / len, gy / len};
}

Surcharge::Surcharge(const Clearance& cave, const std::function<float(Point)>& at)
    : cols((cave.width() + Cell - 1) / Cell), rows((cave.height() + Cell - 1) / Cell) {
  extra.assign(size_t(cols) * rows, 0.0f);
  for (int r = 0; r < rows; r++)
    for (int c = 0; c < cols; c++) {
      Point p{float(c * Cell + Cell / 2), float(r * Cell + Cell / 2)};
      if (cave.at(p.x, p.y) >= StartClearance) extra[size_t(r) * cols + c] = at(p);
    }
}

Spread::Spread(const Clearance& cave, Point start, const std::vector<Keepout>& keepouts, const Surcharge& surcharge)
    : gw((cave.width() + Cell - 1) / Cell), gh((cave.height() + Cell - 1) / Cell) {
  cost.assign(size_t(gw) * gh, Unreached);
  from.assign(size_t(gw) * gh, -1);
  int first = cellof(start);
  if (first < 0) return;
  auto centre = [&](int c) { return Point{float(c % gw * Cell + Cell / 2), float(c / gw * Cell + Cell / 2)}; };
  // A ship sitting, or pressed into the floor, has less room round it than
  // routes keep: near the start, what it has will do.
  const float startroom = std::min(StartClearance, cave.at(start.x, start.y) - 1.0f);
  auto open = [&](int c, float& room) {
    Point at = centre(c);
    room = cave.at(at.x, at.y);
    if (room >= MinClearance) return !keptout(at, keepouts);
    return room >= startroom && distance(at, start) < StartReach;
  };
  using Entry = std::pair<float, int>;
  std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> queue;
  cost[first] = 0;
  queue.push({0.0f, first});
  const int dx[8] = {1, -1, 0, 0, 1, 1, -1, -1}, dy[8] = {0, 0, 1, -1, 1, -1, 1, -1};
  while (!queue.empty()) {
    auto [c, cell] = queue.top();
    queue.pop();
    if (c > cost[cell]) continue;
    const int x = cell % gw, y = cell / gw;
    for (int k = 0; k < 8; k++) {
      const int nx = x + dx[k], ny = y + dy[k];
      if (nx < 0 || ny < 0 || nx >= gw || ny >= gh) continue;
      const int next = ny * gw + nx;
      float room;
      if (!open(next, room)) continue;
      const float step = (k < 4 ? 1.0f : float(M_SQRT2)) * Cell;
      const float nc = c + step * (cellweight(room, centre(next), keepouts) + surcharge(next));
      if (nc < cost[next]) {
        cost[next] = nc;
        from[next] = cell;
        queue.push({nc, next});
      }
    }
  }
}

int Spread::cellof(Point p) const {
  int x = int(std::floor(p.x / Cell)), y = int(std::floor(p.y / Cell));
  if (x < 0 || y < 0 || x >= gw || y >= gh) return -1;
  return y * gw + x;
}

// The goal's cell, or the cheapest reached one beside it: a point may lie
// where its own cell's centre is a little short of room.
int Spread::goalcell(Point goal) const {
  const int c = cellof(goal);
  if (c < 0 || cost[c] < Unreached) return c;
  int best = c;
  const int x = c % gw, y = c / gw;
  for (int dy = -1; dy <= 1; dy++)
    for (int dx = -1; dx <= 1; dx++) {
      const int nx = x + dx, ny = y + dy;
      if (nx < 0 || ny < 0 || nx >= gw || ny >= gh) continue;
      if (cost[size_t(ny) * gw + nx] < cost[best]) best = ny * gw + nx;
    }
  return best;
}

float Spread::costto(Point goal) const {
  int c = goalcell(goal);
  return c < 0 ? Unreached : cost[c];
}

bool Spread::reaches(Point goal) const { return costto(goal) < Unreached; }

float Spread::lengthto(Point goal) const {
  std::vector<Point> path = pathto(goal);
  if (path.empty()) return Unreached;
  float len = 0;
  for (size_t i = 1; i < path.size(); i++) len += distance(path[i - 1], path[i]);
  return len;
}

std::vector<Point> Spread::pathto(Point goal) const {
  std::vector<Point> path;
  int c = goalcell(goal);
  if (c < 0 || cost[c] == Unreached) return path;
  path.push_back(goal);
  for (c = from[c]; c >= 0; c = from[c])
    path.push_back({float(c % gw * Cell + Cell / 2), float(c / gw * Cell + Cell / 2)});
  std::reverse(path.begin(), path.end());
  return path;
}

Route makeroute(const Clearance& cave, const std::vector<Point>& path, float startspeed) {
  Route route;
  if (path.empty()) return route;
  std::vector<Point> points = resample(smooth(cave, resample(path, Spacing)), Spacing);
  const int n = int(points.size());
  for (int i = 0; i < n; i++) {
    float room = cave.at(points[i].x, points[i].y);
    float speed = std::min(RouteTopSpeed, RouteSlowest + RouteSqueeze * std::max(0.0f, room - SmoothedRoom));
    float turn = bend(points, i);
    if (turn > 1e-4f) speed = std::min(speed, std::sqrt(RouteSideways / turn));
    route.push_back({points[i], room, std::max(speed, RouteSlowest)});
  }
  // The route ends at rest and starts at the ship's speed; between, no
  // speed asks for more braking or speeding up than the ship can do.
  route.back().speed = 0;
  route.front().speed = std::max(startspeed, RouteSlowest);
  for (int i = n - 2; i >= 0; i--) {
    // Braking on the way down fights gravity, and the nose may have to
    // come upright first; on the way up only gravity brakes, since the
    // rocket is never fired downward.
    const float dy = (points[i + 1].y - points[i].y) / Spacing;
    const float braking = dy > 0 ? RouteBraking - RouteDownhill * dy : RouteBraking + (RouteUphill - RouteBraking) * -dy;
    route[i].speed = std::min(route[i].speed, std::sqrt(route[i + 1].speed * route[i + 1].speed + 2 * braking * Spacing));
  }
  for (int i = 1; i < n; i++)
    route[i].speed = std::min(route[i].speed, std::sqrt(route[i - 1].speed * route[i - 1].speed + 2 * RouteSpeedup * Spacing));
  return route;
}

float routelength(const Route& route) {
  float len = 0;
  for (size_t i = 1; i < route.size(); i++) len += distance(route[i - 1].at, route[i].at);
  return len;
}

}  // namespace pilot
