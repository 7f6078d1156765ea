#include "makedata/icon.h"

#include <algorithm>
#include <cmath>

#include "makedata/noise.h"
#include "makedata/png.h"
#include "makedata/sprites.h"

namespace {

// The icon is designed on a 48-unit square and painted Supersample times
// larger, then averaged down, which smooths every edge.
const float Design = 48;
const int Supersample = 4;

const Colour Ink{20, 16, 22};

void paintplanet(BITMAP* bmp, const Placement& at) {
  const Colour rust{196, 92, 48};
  const float cx = 19, cy = 30, r = 16.5f;
  Shader ground = [=](float x, float y) {
    float marks = fractalnoise(71, x, y, Design, 4, 3);
    return ball(rust * (0.6f + 0.75f * marks), cx, cy, r)(x, y);
  };
  paintoutlined(bmp, placed(circle(cx, cy, r), at), placed(ground, at), Ink);
}

// The rocket's flame, in the ship's own coordinates, under its nozzle.
void paintflame(BITMAP* bmp, const Placement& at) {
  const Colour outer{255, 120, 20}, inner{255, 236, 150};
  Shader fire = [=](float x, float y) {
    float core = std::fabs(x - 16) / 3.5f + (y - 34) / 14;
    return mix(inner, outer, smoothstep(0.2f, 0.9f, core));
  };
  paint(bmp, placed(unite(ellipse(16, 39, 3.6f, 6.5f), circle(16, 35, 3.2f)), at), placed(fire, at));
}

// Averages each Supersample-square block: colour over the painted samples,
// alpha from how many were painted.
Picture scaledown(BITMAP* big, int size) {
  Picture icon(create_bitmap_ex(32, size, size));
  if (!icon) throw "Cannot create a picture";
  const int mask = bitmap_mask_color(big), n = Supersample * Supersample;
  for (int y = 0; y < size; y++)
    for (int x = 0; x < size; x++) {
      int r = 0, g = 0, b = 0, painted = 0;
      for (int sy = 0; sy < Supersample; sy++)
        for (int sx = 0; sx < Supersample; sx++) {
          int c = getpixel(big, x * Supersample + sx, y * Supersample + sy);
          if (c == mask) continue;
          r += getr32(c), g += getg32(c), b += getb32(c), painted++;
        }
      int a = (painted * 255 + n / 2) / n;
      putpixel(icon.get(), x, y, painted ? makeacol32(r / painted, g / painted, b / painted, a) : 0);
    }
  return icon;
}

}  // namespace

Picture makeicon(int size) {
  Picture big = newpicture(size * Supersample, size * Supersample);
  const float scale = size * Supersample / Design;
  // Outlines one pixel wide, growing with the big sizes.
  const float outline = Supersample * std::max(1.0f, size / Design);
  Placement world{0, 0, 0, 0, 0, scale, outline};
  paintplanet(big.get(), world);
  // The ship heads up and to the right, 1.1 times its sprite's size.
  Placement ship{29 * scale, 19 * scale, 16, 20, 0.75f, 1.1f * scale, outline};
  paintflame(big.get(), ship);
  paintship(big.get(), ship);
  return scaledown(big.get(), size);
}

bool savepng(const char* path, BITMAP* picture, std::string& why) {
  std::vector<uint8_t> rgba;
  rgba.reserve(picture->w * picture->h * 4);
  for (int y = 0; y < picture->h; y++)
    for (int x = 0; x < picture->w; x++) {
      int c = getpixel(picture, x, y);
      rgba.insert(rgba.end(), {uint8_t(getr32(c)), uint8_t(getg32(c)), uint8_t(getb32(c)), uint8_t(geta32(c))});
    }
  return writepng(path, picture->w, picture->h, rgba, why);
}
