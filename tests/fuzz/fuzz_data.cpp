// Fuzzes the way into a data file as the game takes it at start-up: the
// structure walk, Allegro's loader on whatever the walk accepts, and the
// entry check, at 32-bit colour with 16-bit pictures converted. Whatever
// loads is then used the way the game uses pictures and fonts: every
// bitmap, sprite and font in it, nested files too, is drawn.

#include <cstdlib>
#include <string>

#include "data.h"
#include "support/fuzz_support.h"
#include "support/testsupport.h"

// After allegro.h, which data.h brings: the layout of a coloured font.
#include <allegro/internal/aintern.h>

namespace {

// Allegro draws sprites only onto bitmaps of their own depth (8-bit ones
// onto any), so there is a canvas for each depth.
const int Depths[] = {8, 15, 16, 24, 32};
BITMAP* canvases[33] = {};

BITMAP* canvas(int depth) { return depth >= 0 && depth <= 32 ? canvases[depth] : nullptr; }

// The depth of a coloured font's glyphs, -1 when its ranges differ.
int fontdepth(const FONT* f) {
  int depth = 0;
  for (auto* r = static_cast<const FONT_COLOR_DATA*>(f->data); r; r = r->next)
    for (int i = 0; i < r->end - r->begin; i++) {
      int d = bitmap_color_depth(r->bitmaps[i]);
      if (depth && d != depth) return -1;
      depth = d;
    }
  return depth;
}

void drawall(const DATAFILE* data) {
  for (; data->type != DAT_END; data++) {
    if (data->type == DAT_FILE) {
      drawall(static_cast<const DATAFILE*>(data->dat));
    } else if (data->type == DAT_BITMAP) {
      auto* b = static_cast<BITMAP*>(data->dat);
      blit(b, canvases[32], 2, -1, 0, 0, b->w, b->h);
      if (BITMAP* c = canvas(bitmap_color_depth(b))) draw_sprite(c, b, -1, 3);
    } else if (data->type == DAT_RLE_SPRITE || data->type == DAT_C_SPRITE || data->type == DAT_XC_SPRITE) {
      auto* s = static_cast<RLE_SPRITE*>(data->dat);
      if (BITMAP* c = canvas(s->color_depth)) draw_rle_sprite(c, s, 2, -1);
    } else if (data->type == DAT_FONT) {
      auto* f = static_cast<FONT*>(data->dat);
      const char* text = "Mars \xc3\xa9 ~";
      text_length(f, text);
      // The game writes with its font on the screen, whatever its depth.
      if (!is_color_font(f))
        for (int depth : Depths) textout_ex(canvases[depth], f, text, -3, 1, makecol_depth(depth, 255, 255, 255), -1);
      else if (BITMAP* c = canvas(fontdepth(f)))
        textout_ex(c, f, text, -3, 1, -1, -1);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  initallegro();
  for (int depth : Depths)
    if (!(canvases[depth] = create_bitmap_ex(depth, 64, 48))) abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = writeinput(data, size, "data");
  std::string why;
  DATAFILE* loaded = nullptr;
  if (checkdatafile(path.c_str(), why)) {
    loaded = load_datafile(path.c_str());
    // The walk's limits keep every allocation small, so a file it accepts
    // and Allegro refuses means the two read the file differently.
    if (!loaded) abort();
  }
  if (!loaded) return 0;
  checkdataentries(loaded, why);
  drawall(loaded);
  unload_datafile(loaded);
  return 0;
}
