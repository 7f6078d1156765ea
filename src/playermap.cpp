#include "playermap.h"

#include <algorithm>
#include <cassert>
#include <cmath>

#include "common.h"
#include "notices.h"
#include "overview.h"

namespace {

// How much of the view shows beside and under the map: 0 none, 255 all.
// The ship's instrument panel in the corner stays bright.
const int ViewSeeThrough = 60;
const int PanelHeight = 48;
// The pictures of bases, tanks and wibblets shrink with the map, but never
// below this many pixels on their longer side, so a tank's colour shows.
const int MinSpriteSize = 12;
// The line under the map, in a strip of the screen's bottom kept for it.
const char* const MapWords = "M or P: back to the level";
const int WordsStrip = 32;

// Cave not yet seen, and the frame round the map.
int fogcolour() { return makecol(10, 8, 8); }
int framecolour() { return makecol(150, 120, 70); }

SeenCave seen;
BITMAP* cave = nullptr;   // the scaled, tinted cave, made at level start
BITMAP* shown = nullptr;  // the screen with the map, composed when it opens
int levelw = 0, levelh = 0;
float scale = 1;          // map pixels per level pixel
int mapx = 0, mapy = 0;   // the map's top-left corner on the screen

// A bitmap of w x h at the display's depth, kept from level to level.
void keepbitmap(BITMAP*& b, int w, int h) {
  if (b && b->w == w && b->h == h && bitmap_color_depth(b) == get_color_depth()) return;
  if (b) destroy_bitmap(b);
  b = create_bitmap(w, h);
  if (!b) throw "Problem creating bitmaps";
}

// Lifts the blue of every map pixel whose level pixel is open cave.
void tintcave(BITMAP* collision) {
  assert(bitmap_color_depth(collision) == 8);
  for (int y = 0; y < cave->h; y++) {
    const unsigned char* row = collision->line[std::min(int(y / scale), collision->h - 1)];
    for (int x = 0; x < cave->w; x++)
      if (row[std::min(int(x / scale), collision->w - 1)] == 0) tintopen(cave, x, y);
  }
}

// Where level pixel (x, y) lies on the screen.
int screenx(int x) { return mapx + int(x * scale); }
int screeny(int y) { return mapy + int(y * scale); }

// Blacks out the cells not yet seen, a run of them along a row at a time.
void drawfog() {
  const int fog = fogcolour();
  for (int top = 0; top < levelh; top += SeenCellSize) {
    const int y1 = screeny(top), y2 = screeny(std::min(top + SeenCellSize, levelh)) - 1;
    for (int left = 0; left < levelw;) {
      if (seen.seen(left, top)) {
        left += SeenCellSize;
        continue;
      }
      int right = left;
      while (right < levelw && !seen.seen(right, top)) right += SeenCellSize;
      rectfill(shown, screenx(left), y1, screenx(std::min(right, levelw)) - 1, y2, fog);
      left = right;
    }
  }
}

// A sprite at the map's scale, standing on (x, y) or, `centred`, around it.
void drawpicture(BITMAP* sprite, int x, int y, bool centred) {
  const float longer = float(std::max(sprite->w, sprite->h));
  const float s = std::max(scale, MinSpriteSize / longer);
  const int w = std::max(1, int(std::lround(sprite->w * s))), h = std::max(1, int(std::lround(sprite->h * s)));
  stretch_sprite(shown, sprite, x - w / 2, centred ? y - h / 2 : y - h, w, h);
}

// Bases and tanks stand on the floor: the cell just above the foot counts.
bool markseen(const MapMark& m) { return seen.seen(m.x, m.kind == MapMark::Wibblet ? m.y : m.y - 1); }

void drawmark(const MapMark& m) {
  const int x = screenx(m.x), y = screeny(m.y);
  const bool known = markseen(m);
  switch (m.kind) {
    case MapMark::Base:
      if (known && m.sprite) drawpicture(m.sprite, x, y, false);
      break;
    case MapMark::Wibblet:
      if (!known) break;
      if (m.sprite) drawpicture(m.sprite, x, y, true);
      markwibblet(shown, x, y, m.colour);
      break;
    case MapMark::Exit:  // always, so the player knows where to go
      if (known && m.sprite) drawpicture(m.sprite, x, y, false);
      markexit(shown, x, y);
      break;
    case MapMark::Ship:
      markship(shown, x, y);
      markheading(shown, x, y, m.angle);
      break;
  }
}

// Draws the marks in layers: what the ship steers by over what it passes.
void drawmarks(const std::vector<MapMark>& marks) {
  for (MapMark::Kind layer : {MapMark::Base, MapMark::Wibblet, MapMark::Exit, MapMark::Ship})
    for (const MapMark& m : marks)
      if (m.kind == layer) drawmark(m);
}

// The view under the map, darkened but for the panel.
void dimview(BITMAP* world, int viewx, int viewy) {
  blit(world, shown, viewx, viewy, 0, 0, ScreenWidth, ScreenHeight);
  drawing_mode(DRAW_MODE_TRANS, nullptr, 0, 0);
  set_trans_blender(0, 0, 0, 255 - ViewSeeThrough);
  rectfill(shown, 0, 0, ScreenWidth - 1, ScreenHeight - 1, makecol(0, 0, 0));
  drawing_mode(DRAW_MODE_SOLID, nullptr, 0, 0);
  blit(world, shown, viewx + PanelScreenX, viewy, PanelScreenX, 0, ScreenWidth - PanelScreenX, PanelHeight);
}

}  // namespace

void SeenCave::reset(int w, int h) {
  width = std::max(w, 0);
  height = std::max(h, 0);
  columns = (width + SeenCellSize - 1) / SeenCellSize;
  rows = (height + SeenCellSize - 1) / SeenCellSize;
  cells.assign(size_t(columns) * rows, 0);
  last = Span{};
}

void SeenCave::see(int x, int y) {
  if (x + ScreenWidth <= 0 || y + ScreenHeight <= 0) return;  // wholly off the level's top or left
  const Span now{std::max(x, 0) / SeenCellSize, std::max(y, 0) / SeenCellSize,
                 std::min(columns - 1, (x + ScreenWidth - 1) / SeenCellSize),
                 std::min(rows - 1, (y + ScreenHeight - 1) / SeenCellSize)};
  if (now == last) return;
  last = now;
  for (int r = now.top; r <= now.bottom; r++)
    for (int c = now.left; c <= now.right; c++) cells[size_t(r) * columns + c] = 1;
}

bool SeenCave::seen(int x, int y) const {
  if (x < 0 || y < 0 || x >= width || y >= height) return false;
  return cells[size_t(y / SeenCellSize) * columns + x / SeenCellSize];
}

void startplayermap(BITMAP* level, BITMAP* collision) {
  levelw = level->w;
  levelh = level->h;
  const int roomh = ScreenHeight - WordsStrip;
  scale = std::min(float(ScreenWidth) / levelw, float(roomh) / levelh);
  const int w = std::max(1, int(levelw * scale)), h = std::max(1, int(levelh * scale));
  mapx = (ScreenWidth - w) / 2;
  mapy = (roomh - h) / 2;
  keepbitmap(cave, w, h);
  keepbitmap(shown, ScreenWidth, ScreenHeight);
  scalepicture(level, cave);
  tintcave(collision);
  seen.reset(levelw, levelh);
}

void seeview(int x, int y) { seen.see(x, y); }

void openplayermap(BITMAP* world, int viewx, int viewy, const std::vector<MapMark>& marks, FONT* words) {
  if (!shown || !cave) return;
  dimview(world, viewx, viewy);
  blit(cave, shown, 0, 0, mapx, mapy, cave->w, cave->h);
  drawfog();
  rect(shown, mapx - 1, mapy - 1, mapx + cave->w, mapy + cave->h, framecolour());
  drawmarks(marks);
  const WordsBox box = wordsbox(words, MapWords, ScreenWidth / 2, 0);
  drawwords(shown, words, MapWords, box, 0, ScreenHeight - (WordsStrip + box.h) / 2);
}

void showplayermap(BITMAP* target) {
  if (shown) blit(shown, target, 0, 0, 0, 0, ScreenWidth, ScreenHeight);
}
