#include "makedata/sprites.h"

#include <algorithm>
#include <cmath>

#include "makedata/noise.h"
#include "makedata/typeface.h"

namespace {

const Colour Ink{20, 16, 22};  // the outline of every sprite
const Colour White{240, 240, 235};
const Colour Black{10, 10, 12};

// Mirrors the x coordinates of a polygon about `axis`.
std::vector<float> mirrored(std::vector<float> xy, float axis) {
  for (size_t i = 0; i < xy.size(); i += 2) xy[i] = 2 * axis - xy[i];
  return xy;
}

// An eye: a white ball with a dark pupil looking (lookx, looky) and a glint.
void painteye(BITMAP* bmp, float cx, float cy, float r, float lookx, float looky) {
  paintoutlined(bmp, circle(cx, cy, r), ball(White, cx, cy, r), Ink);
  float px = cx + lookx * r * 0.35f, py = cy + looky * r * 0.35f;
  paint(bmp, circle(px, py, r * 0.5f), flat(Black));
  paint(bmp, circle(px - r * 0.2f, py - r * 0.25f, std::max(0.6f, r * 0.18f)), flat(White));
}

// The rocket's hull seen from the side: a pointed nose widening to a
// cylinder that tapers a little towards the engine.
Shape hullshape() {
  return [](float x, float y) {
    const float axis = 16, top = 1.5f, shoulder = 14, bottom = 29.5f, radius = 6.5f;
    float hw = radius;
    if (y < shoulder) {
      float t = (shoulder - y) / (shoulder - top);
      hw = radius * std::sqrt(std::max(0.0f, 1 - t * t));
    } else if (y > 25) {
      hw = radius - (y - 25) * 0.3f;
    }
    return std::max({std::fabs(x - axis) - hw, top - y, y - bottom});
  };
}

}  // namespace

Picture makeship() {
  Picture p = newpicture(32, 36);
  paintship(p.get(), Placement{});
  return p;
}

void paintship(BITMAP* bmp, const Placement& at) {
  const Colour hull{218, 222, 230}, red{205, 40, 30}, glass{70, 150, 235}, steel{95, 95, 108};
  auto part = [&](const Shape& shape, const Shader& shader) { paintoutlined(bmp, placed(shape, at), placed(shader, at), Ink); };
  part(unite(polygon({11, 18, 3.5f, 29, 3.5f, 34.5f, 11, 29.5f}), polygon(mirrored({11, 18, 3.5f, 29, 3.5f, 34.5f, 11, 29.5f}, 16))),
       cylinder(red, 16, 13));
  part(polygon({12.5f, 28, 19.5f, 28, 21.5f, 34, 10.5f, 34}), cylinder(steel, 16, 6));
  Shader hullshader = [=](float x, float y) {
    bool painted = y < 9 || (y > 22 && y < 24.5f);
    return cylinder(painted ? red : hull, 16, 6.5f)(x, y);
  };
  part(hullshape(), hullshader);
  paint(bmp, placed(box(15.5f, 25, 16.5f, 34.5f), at), placed(cylinder(red, 16, 1), at));
  part(circle(16, 15, 3.2f), ball(glass, 16, 15, 3.2f));
}

Picture makebluewibblet() {
  Picture p = newpicture(28, 28);
  const Colour blue{30, 60, 255}, deep{80, 100, 240};
  const float c = 14;
  for (int i = 0; i < 8; i++) {
    float a = i * 0.785398f + 0.39f, s = std::sin(a), k = std::cos(a);
    Shape spike = polygon({c + 8 * k - 3 * s, c + 8 * s + 3 * k, c + 13.5f * k, c + 13.5f * s, c + 8 * k + 3 * s, c + 8 * s - 3 * k});
    paintoutlined(p.get(), spike, ball(deep, c, c, 14), Ink);
  }
  paintoutlined(p.get(), circle(c, c, 9.5f), ball(blue, c, c, 9.5f), Ink);
  painteye(p.get(), c, c - 1, 5, 0, 0.6f);
  paint(p.get(), box(c - 5, c - 7, c + 5, c - 5.6f), flat(deep));  // a heavy lid
  return p;
}

Picture makegreenwibblet() {
  Picture p = newpicture(40, 32);
  const Colour green{40, 230, 40}, dark{0, 90, 10};
  Shape body = ellipse(20, 16, 17, 11);
  for (float x : {9.0f, 17.0f, 26.0f, 32.0f}) body = unite(body, capsule(x, 20, x + 0.5f, 27 + std::fmod(x, 3.0f), 2.6f));
  paintoutlined(p.get(), body, ball(green, 18, 12, 19), Ink);
  painteye(p.get(), 11, 12, 3.6f, 0.5f, 0.3f);
  painteye(p.get(), 20, 8.5f, 4.2f, 0, 0.5f);
  painteye(p.get(), 29, 12, 3.6f, -0.5f, 0.3f);
  paintoutlined(p.get(), ellipse(20, 20.5f, 8, 3.6f), flat(dark), Ink);
  for (float x : {15.0f, 19.0f, 23.0f}) paint(p.get(), polygon({x, 17.6f, x + 3, 17.6f, x + 1.5f, 20.5f}), flat(White));
  return p;
}

Picture makeorangewibblet() {
  Picture p = newpicture(32, 32);
  const Colour orange{255, 170, 0}, rim{240, 130, 0};
  for (int i = 0; i < 5; i++) {
    float cx = 6 + i * 5, phase = i * 1.3f;
    Shape tentacle = [=](float x, float y) {
      float wave = cx + 1.8f * std::sin(y * 0.55f + phase);
      float width = 2.8f - (y - 17) * 0.12f;
      return std::max({std::fabs(x - wave) - width, 17 - y, y - 31});
    };
    paintoutlined(p.get(), tentacle, cylinder(rim, cx, 3), Ink);
  }
  Shape dome = unite(intersect(ellipse(16, 14, 14, 12.5f), box(0, 0, 32, 17)), ellipse(16, 17, 15, 3));
  paintoutlined(p.get(), dome, ball(orange, 16, 14, 15), Ink);
  for (float x : {7.0f, 16.0f, 25.0f}) paint(p.get(), circle(x, 17.2f, 1.2f), flat(Colour{255, 240, 160}));
  painteye(p.get(), 11, 10, 3.4f, 0.3f, 0.5f);
  painteye(p.get(), 21, 10, 3.4f, -0.3f, 0.5f);
  return p;
}

Picture makeyellowwibblet() {
  Picture p = newpicture(36, 24);
  const Colour yellow{255, 245, 20}, wing{235, 220, 50}, vein{140, 120, 20};
  const std::vector<float> left = {13, 8, 7, 2, 1.5f, 5, 1.5f, 13, 4, 11.5f, 6, 16, 8.5f, 13.5f, 12, 17};
  Shader membrane = [=](float x, float y) {
    float v = std::fabs(std::sin((std::atan2(y - 8, x - 18)) * 9));
    return mix(vein, wing, smoothstep(0.0f, 0.35f, v));
  };
  paintoutlined(p.get(), polygon(left), membrane, Ink);
  paintoutlined(p.get(), polygon(mirrored(left, 18)), membrane, Ink);
  paintoutlined(p.get(), ellipse(18, 13, 7, 8.5f), ball(yellow, 18, 12, 8.5f), Ink);
  painteye(p.get(), 15.3f, 11, 2.6f, 0.2f, 0.6f);
  painteye(p.get(), 20.7f, 11, 2.6f, -0.2f, 0.6f);
  paint(p.get(), box(12.5f, 7.5f, 17, 8.6f), flat(Ink));  // frowning brows
  paint(p.get(), box(19, 7.5f, 23.5f, 8.6f), flat(Ink));
  paint(p.get(), polygon({15.5f, 17, 17, 17, 16.2f, 20}), flat(White));
  paint(p.get(), polygon({19, 17, 20.5f, 17, 19.8f, 20}), flat(White));
  return p;
}

namespace {

// The concrete footing and steel deck shared by both bases, the deck's
// top at `deck`, the footing reaching the sprite's bottom edge.
void paintpad(BITMAP* bmp, float deck) {
  const float w = static_cast<float>(bmp->w), h = static_cast<float>(bmp->h);
  const Colour concrete{105, 85, 75}, steel{150, 155, 165};
  Shader footing = [=](float x, float y) {
    bool seam = std::fmod(x, 16.0f) < 1 || std::fmod(y - deck, 6.0f) < 1;
    return concrete * ((seam ? 0.7f : 1.0f) * (1.1f - (y - deck) / h * 0.5f));
  };
  paintoutlined(bmp, polygon({6, deck + 4, w - 6, deck + 4, w - 1, h, 1, h}), footing, Ink);
  Shader plate = [=](float x, float y) {
    if (y > deck + 2.5f) return ((static_cast<int>(x + y) / 4) % 2) ? Colour{240, 190, 20} : Black;
    return mix(steel * 1.25f, steel * 0.8f, (y - deck) / 2.5f);
  };
  paintoutlined(bmp, box(2, deck, w - 2, deck + 5.5f), plate, Ink);
}

}  // namespace

Picture makestartbase() {
  Picture p = newpicture(80, 24);
  paintpad(p.get(), 8);
  for (float x : {4.5f, 75.5f}) {
    paintoutlined(p.get(), box(x - 1.5f, 3, x + 1.5f, 9), cylinder(Colour{120, 120, 130}, x, 1.5f), Ink);
    paintoutlined(p.get(), circle(x, 2.5f, 2.4f), ball(Colour{60, 255, 80}, x, 2.5f, 2.4f), Ink);
  }
  for (float x : {24.0f, 40.0f, 56.0f}) paint(p.get(), box(x - 3, 9, x + 3, 10), flat(White));
  return p;
}

Picture makeexitbase() {
  Picture p = newpicture(80, 32);
  paintpad(p.get(), 16);
  const Colour cyan{60, 230, 255}, violet{150, 80, 255};
  Shader glow = [=](float x, float y) {
    float r = std::hypot((x - 40) / 27, (y - 15.5f) / 4.5f);
    return mix(Colour{235, 255, 255}, std::fmod(r * 4, 1.0f) < 0.5f ? cyan : violet, clamp01(r * 1.3f));
  };
  paintoutlined(p.get(), ellipse(40, 15.5f, 27, 4.5f), glow, Ink);
  // The emitters: two pylons whose orbs throw the beam across the pad.
  for (float x : {5.5f, 74.5f}) {
    paintoutlined(p.get(), polygon({x - 3, 17, x - 1.5f, 5, x + 1.5f, 5, x + 3, 17}), cylinder(Colour{110, 110, 125}, x, 3), Ink);
    paintoutlined(p.get(), circle(x, 4, 3.5f), ball(cyan, x, 4, 3.5f), Ink);
  }
  for (int i = 0; i < 7; i++) {
    float x = 22 + i * 6, top = 4 + std::fmod(i * 3.7f, 5.0f);
    paint(p.get(), box(x, top, x + 1, 11.5f - std::fmod(i * 2.3f, 3.0f)), flat(i % 2 ? cyan : Colour{200, 180, 255}));
  }
  return p;
}

namespace {

// The tank body: domed top, valve, band for the label, skirt and feet.
void painttankbody(BITMAP* bmp, Colour body, Colour band) {
  const Colour steel{130, 130, 140};
  paintoutlined(bmp, box(8, 27, 11.5f, 32), flat(steel * 0.6f), Ink);
  paintoutlined(bmp, box(20.5f, 27, 24, 32), flat(steel * 0.6f), Ink);
  paintoutlined(bmp, box(14, 1.5f, 18, 6), cylinder(steel, 16, 2), Ink);
  paintoutlined(bmp, ellipse(16, 2, 5, 1.8f), cylinder(steel, 16, 5), Ink);
  paintoutlined(bmp, unite(box(6, 8, 26, 28), ellipse(16, 8, 10, 4.5f)), cylinder(body, 16, 10), Ink);
  paint(bmp, box(7, 13, 25, 22), cylinder(band, 16, 10));
  paint(bmp, box(7, 24.5f, 25, 26), cylinder(steel * 0.8f, 16, 10));
}

}  // namespace

Picture maketank(Colour body, const char* label) {
  Picture p = newpicture(32, 32);
  painttankbody(p.get(), body, Colour{235, 232, 220});
  Coverage text = rendertext(label, 9, 0.4f);
  stamptext(p.get(), text, 16 - text.w / 2, 17 - text.h / 2, Black, 1);
  return p;
}

Picture makeemptytank() {
  Picture p = newpicture(32, 32);
  painttankbody(p.get(), Colour{112, 110, 108}, Colour{80, 78, 76});
  // Streaks of rust where the contents ran out.
  for (float x : {10.0f, 19.5f, 23.0f}) paint(p.get(), box(x, 22, x + 1, 27 - std::fmod(x, 4.0f)), flat(Colour{120, 60, 30}));
  return p;
}

Picture makeexplosion(int size, uint64_t seed, int lobes) {
  Picture p = newpicture(size, size);
  const float c = size / 2.0f, reach = size / 2.0f - 1;
  for (int y = 0; y < size; y++)
    for (int x = 0; x < size; x++) {
      float dx = x + 0.5f - c, dy = y + 0.5f - c;
      float turn = std::atan2(dy, dx) / 6.2831853f + 0.5f;
      // The outline: lobes of flame, roughened by noise around the circle.
      float edge = reach * (0.55f + 0.3f * std::fabs(std::sin(turn * 3.14159f * lobes)) + 0.15f * valuenoise(seed, turn * 64, 0, 64, 16));
      float t = std::hypot(dx, dy) / edge;
      if (t >= 1) continue;
      float heat = clamp01(1 - t + (valuenoise(seed + 7, x, y, static_cast<float>(size), 8) - 0.5f) * 0.5f);
      const Colour stops[] = {{90, 10, 0}, {215, 45, 0}, {255, 140, 10}, {255, 225, 90}, {255, 255, 225}};
      float at = heat * 4;
      int i = std::min(3, static_cast<int>(at));
      putpixel(p.get(), x, y, pixel(mix(stops[i], stops[i + 1], at - i)));
    }
  return p;
}
