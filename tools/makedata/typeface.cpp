#include "makedata/typeface.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include "makedata/paint.h"

#include <algorithm>

const char* const TypefacePath = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

namespace {

// One FreeType face at one pixel size, released on every way out.
class Face {
 public:
  explicit Face(int pixelsize) {
    if (FT_Init_FreeType(&library) != 0) throw "Cannot start FreeType";
    if (FT_New_Face(library, TypefacePath, 0, &face) != 0) {
      FT_Done_FreeType(library);
      throw "Cannot open /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
    }
    FT_Set_Pixel_Sizes(face, 0, pixelsize);
  }
  ~Face() {
    FT_Done_Face(face);
    FT_Done_FreeType(library);
  }
  Face(const Face&) = delete;
  Face& operator=(const Face&) = delete;

  int ascent() const { return static_cast<int>((face->size->metrics.ascender + 63) >> 6); }
  int descent() const { return static_cast<int>((-face->size->metrics.descender + 63) >> 6); }

  FT_GlyphSlot load(int c, FT_Int32 flags) {
    if (FT_Load_Char(face, c, flags) != 0) throw "FreeType cannot load a character";
    return face->glyph;
  }

 private:
  FT_Library library = nullptr;
  FT_Face face = nullptr;
};

int advance(FT_GlyphSlot slot) { return static_cast<int>((slot->advance.x + 32) >> 6); }

bool monobit(const FT_Bitmap& b, int x, int y) { return (b.buffer[y * b.pitch + x / 8] >> (7 - x % 8)) & 1; }

MonoGlyph monoglyph(FT_GlyphSlot slot, int ascent, int height) {
  MonoGlyph g;
  g.w = advance(slot);
  g.h = height;
  int stride = (g.w + 7) / 8;
  g.bits.assign(static_cast<size_t>(stride) * height, 0);
  const FT_Bitmap& b = slot->bitmap;
  for (int row = 0; row < static_cast<int>(b.rows); row++)
    for (int col = 0; col < static_cast<int>(b.width); col++) {
      int x = slot->bitmap_left + col, y = ascent - slot->bitmap_top + row;
      if (x >= 0 && x < g.w && y >= 0 && y < height && monobit(b, col, row)) g.bits[y * stride + x / 8] |= 0x80 >> (x % 8);
    }
  return g;
}

}  // namespace

std::vector<MonoGlyph> dialogglyphs(int pixelsize) {
  Face face(pixelsize);
  int ascent = face.ascent(), height = ascent + face.descent();
  std::vector<MonoGlyph> glyphs;
  for (int c = 32; c <= 126; c++)
    glyphs.push_back(monoglyph(face.load(c, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO), ascent, height));
  return glyphs;
}

Coverage rendertext(const std::string& text, int pixelsize, float bold) {
  Face face(pixelsize);
  int grow = static_cast<int>(bold + 1);
  int ascent = face.ascent() + grow;
  Coverage out;
  out.h = ascent + face.descent() + grow;
  for (char c : text) out.w += advance(face.load(static_cast<unsigned char>(c), FT_LOAD_NO_BITMAP)) + grow;
  out.w += grow;
  out.a.assign(static_cast<size_t>(out.w) * out.h, 0);
  int pen = grow;
  for (char c : text) {
    FT_GlyphSlot slot = face.load(static_cast<unsigned char>(c), FT_LOAD_NO_BITMAP);
    FT_Outline_Embolden(&slot->outline, static_cast<FT_Pos>(bold * 64));
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) throw "FreeType cannot render a character";
    const FT_Bitmap& b = slot->bitmap;
    for (int row = 0; row < static_cast<int>(b.rows); row++)
      for (int col = 0; col < static_cast<int>(b.width); col++) {
        int x = pen + slot->bitmap_left + col, y = ascent - slot->bitmap_top + row;
        if (x < 0 || y < 0 || x >= out.w || y >= out.h) continue;
        uint8_t& a = out.a[y * out.w + x];
        a = std::max(a, b.buffer[row * b.pitch + col]);
      }
    pen += advance(slot) + grow;
  }
  return out;
}

void stamptext(BITMAP* bmp, const Coverage& text, int x, int y, Colour colour, float opacity) {
  for (int ty = 0; ty < text.h; ty++)
    for (int tx = 0; tx < text.w; tx++) {
      int px = x + tx, py = y + ty;
      float a = text.at(tx, ty) / 255.0f * opacity;
      if (a <= 0 || px < 0 || py < 0 || px >= bmp->w || py >= bmp->h) continue;
      int old = getpixel(bmp, px, py);
      if (old == bitmap_mask_color(bmp)) continue;
      Colour under{static_cast<float>(getr32(old)), static_cast<float>(getg32(old)), static_cast<float>(getb32(old))};
      putpixel(bmp, px, py, pixel(mix(under, colour, a)));
    }
}
