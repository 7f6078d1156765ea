#include "levelcheck/picture.h"

#include "enemies.h"
#include "map.h"
#include "overview.h"

namespace {

BITMAP* newbitmap(int w, int h) {
  BITMAP* b = create_bitmap(w, h);
  if (!b) throw "Problem creating bitmaps";
  return b;
}

// Lifts the blue of every open pixel the ship's centre can reach.
void tintreach(BITMAP* picture, const Grid& reached) {
  for (int y = 0; y < picture->h && y < reached.h; y++)
    for (int x = 0; x < picture->w && x < reached.w; x++)
      if (reached.at(x, y)) tintopen(picture, x, y);
}

void drawobject(BITMAP* picture, const LevelObject& o) {
  if (o.sprite) draw_sprite(picture, o.sprite, o.picture.x, o.picture.y);
}

// Marks on the scaled picture, where the sprites alone would be a few
// pixels across.
void drawmarker(BITMAP* small, const LevelObject& o, float scale) {
  const int x = int(o.x * scale), y = int(o.y * scale);
  if (o.letter == ShipRecord) markship(small, x, y);
  if (o.letter == EnemyRecord && isenemytype(o.type)) markwibblet(small, x, y, enemycolour(EnemyType(o.type)));
  if (o.letter == StaticRecord && o.type == PlayerBaseExit) markexit(small, x, y);
}

}  // namespace

BITMAP* makeoverview(BITMAP* background, const CheckedLevel& level, const Grid& reached) {
  BITMAP* full = newbitmap(background->w, background->h);
  blit(background, full, 0, 0, 0, 0, background->w, background->h);
  tintreach(full, reached);
  for (const LevelObject& o : level.objects) drawobject(full, o);
  BITMAP* small = create_bitmap(PictureSize, PictureSize);
  if (!small) {
    destroy_bitmap(full);
    throw "Problem creating bitmaps";
  }
  scalepicture(full, small);
  destroy_bitmap(full);
  const float scale = float(PictureSize) / background->w;
  for (const LevelObject& o : level.objects) drawmarker(small, o, scale);
  return small;
}

bool writeoverview(const char* filename, BITMAP* background, const CheckedLevel& level, const Grid& reached) {
  BITMAP* picture = makeoverview(background, level, reached);
  const bool written = save_bitmap(filename, picture, nullptr) == 0;
  destroy_bitmap(picture);
  return written;
}
