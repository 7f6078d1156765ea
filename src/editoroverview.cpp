#include "editoroverview.h"

#include <algorithm>
#include <cmath>

#include "common.h"
#include "enemies.h"
#include "map.h"
#include "overview.h"

namespace {

// Objects are drawn twice as large as the level around them, and never
// smaller than this, so that a tank stays a visible spot.
const float ObjectEnlargement = 2.0f;
const int SmallestObject = 5;
const int MarkRadius = 6;

int white() { return makecol(255, 255, 255); }

struct Mapper {
  const OverviewLayout& l;
  int x(float wx) const { return l.x + static_cast<int>(std::floor(wx * l.scale)); }
  int y(float wy) const { return l.y + static_cast<int>(std::floor(wy * l.scale)); }
};

void drawobjects(BITMAP* target, const Mapper& m, const std::vector<LevelObject>& objects) {
  const float scale = m.l.scale * ObjectEnlargement;
  for (const LevelObject& o : objects) {
    if (!o.sprite || o.picture.w <= 0 || o.picture.h <= 0) continue;
    const int w = std::max(SmallestObject, static_cast<int>(o.picture.w * scale));
    const int h = std::max(SmallestObject, static_cast<int>(o.picture.h * scale));
    // Around the middle of the picture, where it stands in the level.
    const int cx = m.x(o.picture.x + o.picture.w / 2.0f), cy = m.y(o.picture.y + o.picture.h / 2.0f);
    stretch_sprite(target, o.sprite, cx - w / 2, cy - h / 2, w, h);
  }
  // The marks of the designer's other overviews and the player's map.
  for (const LevelObject& o : objects) {
    const int x = m.x(o.x), y = m.y(o.y);
    if (o.letter == ShipRecord) markship(target, x, y);
    if (o.letter == EnemyRecord && isenemytype(o.type)) markwibblet(target, x, y, enemycolour(EnemyType(o.type)));
    if (o.letter == StaticRecord && o.type == PlayerBaseExit) markexit(target, x, y);
  }
}

void drawmarks(BITMAP* target, const Mapper& m, const std::vector<CheckMark>& marks, int current) {
  for (const MarkedPlace& place : markedplaces(marks, current)) {
    const int colour = place.current ? makecol(255, 255, 0) : makecol(255, 0, 0);
    const int x = m.x(place.x), y = m.y(place.y);
    circle(target, x, y, MarkRadius, colour);
    circle(target, x, y, MarkRadius + 1, colour);
    textout_ex(target, font, place.numbers.c_str(), x + MarkRadius, y - MarkRadius - 8, colour, -1);
  }
}

void drawroute(BITMAP* target, const Mapper& m, const std::vector<Point>& route) {
  const int green = makecol(0, 255, 96);
  for (size_t i = 1; i < route.size(); i++)
    line(target, m.x(route[i - 1].x), m.y(route[i - 1].y), m.x(route[i].x), m.y(route[i].y), green);
  if (route.empty()) return;
  const Point& end = route.back();
  circlefill(target, m.x(end.x), m.y(end.y), 3, green);
}

}  // namespace

OverviewLayout overviewlayout(int levelw, int levelh) {
  const int roomw = ScreenWidth, roomh = ScreenHeight - StatusHeight;
  const float scale = std::min(float(roomw) / levelw, float(roomh) / levelh);
  const int w = static_cast<int>(levelw * scale), h = static_cast<int>(levelh * scale);
  return {scale, (roomw - w) / 2, (roomh - h) / 2, w, h};
}

Point overviewpoint(const OverviewLayout& l, int sx, int sy) {
  return {std::floor((sx - l.x + 0.5f) / l.scale), std::floor((sy - l.y + 0.5f) / l.scale)};
}

bool onoverview(const OverviewLayout& l, int sx, int sy) {
  return sx >= l.x && sy >= l.y && sx < l.x + l.w && sy < l.y + l.h;
}

Overview::~Overview() {
  if (scaled) destroy_bitmap(scaled);
}

void Overview::draw(BITMAP* target, const OverviewContent& content) {
  const OverviewLayout l = overviewlayout(background->w, background->h);
  if (!scaled) {
    scaled = create_bitmap_ex(bitmap_color_depth(background), l.w, l.h);
    if (!scaled) throw "Problem creating bitmaps";
  }
  if (!current) scalepicture(background, scaled);
  current = true;
  clear_to_color(target, makecol(16, 20, 36));
  blit(scaled, target, 0, 0, l.x, l.y, l.w, l.h);
  const Mapper m{l};
  drawobjects(target, m, content.objects);
  drawroute(target, m, content.route);
  const Rect& v = content.view;
  rect(target, m.x(v.x), m.y(v.y), m.x(v.x + v.w) - 1, m.y(v.y + v.h) - 1, white());
  drawmarks(target, m, content.marks, content.current);
  if (!content.title.empty()) {
    int row = 0;
    for (const std::string& line : wraprows(content.title, 2))
      textout_ex(target, font, line.c_str(), 0, row++ * StatusRowHeight, white(), makecol(16, 20, 36));
  }
}
