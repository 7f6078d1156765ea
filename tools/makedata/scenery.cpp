#include "makedata/scenery.h"

#include <algorithm>
#include <cmath>

#include "common.h"
#include "makedata/noise.h"
#include "makedata/rng.h"
#include "makedata/typeface.h"

namespace {

// Colour ramp through evenly spaced stops, t in 0..1.
Colour ramp(const std::vector<Colour>& stops, float t) {
  float at = clamp01(t) * (stops.size() - 1);
  size_t i = std::min(stops.size() - 2, static_cast<size_t>(at));
  return mix(stops[i], stops[i + 1], at - i);
}

Colour colourat(BITMAP* bmp, int x, int y) {
  int c = getpixel(bmp, x, y);
  return {static_cast<float>(getr32(c)), static_cast<float>(getg32(c)), static_cast<float>(getb32(c))};
}

void blend(BITMAP* bmp, int x, int y, Colour c, float a) {
  if (a > 0 && x >= 0 && y >= 0 && x < bmp->w && y < bmp->h) putpixel(bmp, x, y, pixel(mix(colourat(bmp, x, y), c, clamp01(a))));
}

}  // namespace

Picture makerock() {
  // A height field lit from the upper left gives the rock its relief; the
  // picture is the 128-pixel tile repeated, so it wraps without a seam.
  const int tile = 128;
  std::vector<float> height(tile * tile);
  for (int y = 0; y < tile; y++)
    for (int x = 0; x < tile; x++) height[y * tile + x] = fractalnoise(101, x, y, tile, 4, 6);
  auto h = [&](int x, int y) { return height[((y + tile) % tile) * tile + (x + tile) % tile]; };
  const std::vector<Colour> rock = {{52, 22, 14}, {104, 42, 24}, {148, 66, 36}, {176, 102, 64}};
  Picture p = newpicture(256, 256);
  for (int y = 0; y < tile; y++)
    for (int x = 0; x < tile; x++) {
      float relief = (h(x - 1, y - 1) - h(x + 1, y + 1)) * 6;
      // Thin ridges of a second noise are the cracks between the stones.
      float ridge = 1 - std::fabs(2 * fractalnoise(102, x, y, tile, 4, 3) - 1);
      float tint = fractalnoise(103, x, y, tile, 2, 2);
      Colour c = ramp(rock, (h(x, y) - 0.25f) * 2 + relief * 0.5f);
      c = mix(c, Colour{c.r * 0.8f, c.g * 0.85f, c.b * 1.1f}, tint);
      c = c * ((1 + relief) * (1 - 0.5f * smoothstep(0.93f, 0.985f, ridge)));
      for (int ty = 0; ty < 256; ty += tile)
        for (int tx = 0; tx < 256; tx += tile) putpixel(p.get(), x + tx, y + ty, pixel(c));
    }
  return p;
}

Picture makedirt(uint64_t seed, Colour colour) {
  Picture p(create_bitmap_ex(32, 128, 128));
  if (!p) throw "Cannot create a picture";
  for (int y = 0; y < 128; y++)
    for (int x = 0; x < 128; x++) {
      float r = std::hypot(x + 0.5f - 64, y + 0.5f - 64) / 60;
      float wobble = (fractalnoise(seed, x, y, 128, 4, 3) - 0.5f) * 0.6f;
      float alpha = (1 - smoothstep(0.2f, 1.0f, r + wobble)) * (0.5f + 0.5f * fractalnoise(seed + 1, x, y, 128, 8, 3));
      if (r >= 1) alpha = 0;
      Colour c = colour * (0.75f + 0.5f * fractalnoise(seed + 2, x, y, 128, 16, 2));
      int v = pixel(c);
      putpixel(p.get(), x, y, makeacol32(getr32(v), getg32(v), getb32(v), static_cast<int>(alpha * 200)));
    }
  return p;
}

namespace {

// Three-by-five letters for the panel's bar labels.
void paintletter(BITMAP* bmp, int x, int y, const char* rows, Colour c) {
  for (int r = 0; r < 5; r++)
    for (int k = 0; k < 3; k++)
      if (rows[r * 3 + k] == '#') putpixel(bmp, x + k, y + r, pixel(c));
}

void paintbevel(BITMAP* bmp, int x0, int y0, int x1, int y1, Colour light, Colour dark) {
  paint(bmp, box(x0, y0, x1 + 1, y0 + 1), flat(light));
  paint(bmp, box(x0, y0, x0 + 1, y1 + 1), flat(light));
  paint(bmp, box(x0, y1, x1 + 1, y1 + 1), flat(dark));
  paint(bmp, box(x1, y0 + 1, x1 + 1, y1 + 1), flat(dark));
}

}  // namespace

Picture makepanel() {
  Picture p = newpicture(64, 48);
  const Colour light{92, 97, 108}, shadow{12, 13, 16}, label{150, 205, 160};
  paint(p.get(), box(0, 0, 64, 48), [](float x, float y) {
    return Colour{40, 43, 50} * (0.85f + 0.3f * valuenoise(201, x, y * 8, 64, 16));
  });
  paintbevel(p.get(), 0, 0, 63, 47, light, shadow);
  // The recess that holds the three bars.
  paint(p.get(), box(29, 3, 62, 28), flat(Colour{6, 6, 8}));
  paintbevel(p.get(), 28, 2, 62, 28, shadow, light);
  paintletter(p.get(), 23, 5, "#.##.#####.##.#", label);
  paintletter(p.get(), 23, 13, "####.##.##.####", label);
  paintletter(p.get(), 23, 21, ".#.#.#####.##.#", label);
  // A little Mars emblem above the shield gauge.
  paintoutlined(p.get(), circle(11.5f, 13.5f, 8), ball(Colour{200, 80, 40}, 11.5f, 13.5f, 8), shadow);
  paint(p.get(), ellipse(9, 11, 3, 1.2f), flat(Colour{140, 55, 30}));
  paint(p.get(), ellipse(14, 17, 2.5f, 1), flat(Colour{140, 55, 30}));
  // The shield gauge: a dark dial whose rings the ship draws.
  paint(p.get(), circle(11.5f, 38.5f, 10.5f), flat(light));
  paint(p.get(), circle(11.5f, 38.5f, 9.8f), flat(Colour{5, 8, 6}));
  for (float k : {0.0f, 1.0f}) {
    paint(p.get(), box(11, 29.5f + k * 15, 12, 32 + k * 15), flat(Colour{40, 90, 50}));
    paint(p.get(), box(2 + k * 15, 38, 4.5f + k * 15, 39), flat(Colour{40, 90, 50}));
  }
  // A vent grille and rivets fill the rest.
  for (int i = 0; i < 3; i++) {
    paint(p.get(), box(28, 32 + i * 4, 61, 34 + i * 4), flat(shadow));
    paint(p.get(), box(28, 34 + i * 4, 61, 35 + i * 4), flat(light * 0.8f));
  }
  for (float x : {24.5f, 59.5f}) paint(p.get(), circle(x, 44.5f, 1.2f), ball(light, x, 44.5f, 1.2f));
  return p;
}

namespace {

void paintsky(BITMAP* bmp) {
  const std::vector<Colour> sky = {{14, 5, 14}, {40, 12, 20}, {95, 32, 26}, {185, 90, 45}};
  for (int y = 0; y < bmp->h; y++) {
    Colour c = ramp(sky, y / 104.0f);
    for (int x = 0; x < bmp->w; x++) putpixel(bmp, x, y, pixel(c));
  }
  Rng rng(301);
  for (int i = 0; i < 90; i++) {
    int x = static_cast<int>(rng.range(0, ScreenWidth)), y = static_cast<int>(rng.range(0, 70));
    blend(bmp, x, y, Colour{255, 245, 230}, rng.range(0.3f, 1.0f) * (1 - y / 75.0f));
  }
  paint(bmp, circle(574, 26, 9), ball(Colour{170, 140, 120}, 574, 26, 9));
  paint(bmp, circle(610, 48, 4), ball(Colour{160, 135, 120}, 610, 48, 4));
}

// Two ranges of mesas and dunes, the far one paler in the haze.
void painthorizon(BITMAP* bmp) {
  for (int x = 0; x < bmp->w; x++) {
    float far = 96 - 20 * std::pow(valuenoise(302, x, 0, ScreenWidth, 9), 2.0f) - 4 * valuenoise(303, x, 0, ScreenWidth, 60);
    float near = 108 - 9 * valuenoise(304, x, 0, ScreenWidth, 5) - 2 * valuenoise(305, x, 0, ScreenWidth, 40);
    for (int y = 0; y < bmp->h; y++) {
      if (y >= near)
        putpixel(bmp, x, y, pixel(mix(Colour{72, 28, 18}, Colour{40, 15, 12}, (y - near) / 14)));
      else if (y >= far)
        putpixel(bmp, x, y, pixel(Colour{118, 52, 34} * (1 - (y - far) / 80)));
    }
  }
}

float dilated(const Coverage& c, int x, int y, int r) {
  int best = 0;
  for (int dy = -r; dy <= r; dy++)
    for (int dx = -r; dx <= r; dx++)
      if (dx * dx + dy * dy <= r * r + 1) best = std::max(best, c.at(x + dx, y + dy));
  return best / 255.0f;
}

// The title lettering: a drop shadow, a dark outline and a fill that runs
// from sunlit gold at the top to rust at the bottom.
void painttitletext(BITMAP* bmp) {
  Coverage text = rendertext("Mars Flyer", 76, 2.5f);
  int ox = (bmp->w - text.w) / 2, oy = (bmp->h - text.h) / 2 - 2;
  const std::vector<Colour> fill = {{255, 240, 150}, {255, 170, 50}, {225, 80, 25}, {150, 35, 15}};
  for (int y = -4; y < text.h + 6; y++)
    for (int x = -4; x < text.w + 6; x++) {
      int px = ox + x, py = oy + y;
      blend(bmp, px, py, Colour{10, 3, 3}, dilated(text, x - 5, y - 5, 3) * 0.55f);
      blend(bmp, px, py, Colour{35, 8, 6}, dilated(text, x, y, 3));
      float grain = 0.9f + 0.2f * valuenoise(306, px, py, ScreenWidth, 160);
      blend(bmp, px, py, ramp(fill, (y - text.h * 0.18f) / (text.h * 0.62f)) * grain, text.at(x, y) / 255.0f);
    }
}

}  // namespace

Picture maketitle() {
  Picture p = newpicture(ScreenWidth, 120);
  paintsky(p.get());
  painthorizon(p.get());
  painttitletext(p.get());
  return p;
}
