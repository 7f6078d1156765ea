#include "notices.h"

namespace {

// Space round the letters inside the band, pixels.
const int PadX = 12;
const int PadY = 5;
// How much of the view shows through the band: 0 none, 255 all.
const int BandSeeThrough = 70;

}  // namespace

const char* stopwords(const LevelStop& stop) {
  if (stop.paused) return "Paused";
  if (stop.complete) return nullptr;
  if (stop.shiplost) return "Ship lost";
  if (stop.leaving) return "Leaving the level";
  if (stop.fuelempty >= OutOfFuelDelay) return "Out of fuel: press Esc to leave the level";
  return nullptr;
}

WordsBox wordsbox(FONT* f, const char* text, int cx, int y) {
  const int w = text_length(f, text) + 2 * PadX;
  return {cx - w / 2, y, w, text_height(f) + 2 * PadY};
}

void drawwords(BITMAP* target, FONT* f, const char* text, const WordsBox& box, int ox, int oy) {
  const int x = ox + box.x, y = oy + box.y;
  drawing_mode(DRAW_MODE_TRANS, nullptr, 0, 0);
  set_trans_blender(0, 0, 0, 255 - BandSeeThrough);
  rectfill(target, x, y, x + box.w - 1, y + box.h - 1, makecol(0, 0, 0));
  drawing_mode(DRAW_MODE_SOLID, nullptr, 0, 0);
  textout_ex(target, f, text, x + PadX, y + PadY, makecol(255, 255, 255), -1);
}
