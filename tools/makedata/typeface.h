#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "makedata/datawriter.h"
#include "makedata/paint.h"

// The game's lettering, rasterised at bake time with FreeType from DejaVu
// Sans (a free font shipped by Debian's fonts-dejavu-core).
extern const char* const TypefacePath;

// 8-bit coverage of a rendered line of text.
struct Coverage {
  int w = 0, h = 0;
  std::vector<uint8_t> a;
  int at(int x, int y) const { return x < 0 || y < 0 || x >= w || y >= h ? 0 : a[y * w + x]; }
};

// The dialog font: 1-bit glyphs for the printable ASCII characters 32..126,
// all cells of one height (Allegro takes a font's height from its glyphs),
// each as wide as the character's advance.
std::vector<MonoGlyph> dialogglyphs(int pixelsize);

// A line of text, anti-aliased, with the outlines thickened by `bold`
// pixels; the box is as tall as the font's ascent plus descent.
Coverage rendertext(const std::string& text, int pixelsize, float bold);

// Blends `colour` by the coverage onto the painted (non-mask) pixels of a
// 32-bit picture, with the coverage's top-left at (x, y).
void stamptext(BITMAP* bmp, const Coverage& text, int x, int y, Colour colour, float opacity);
