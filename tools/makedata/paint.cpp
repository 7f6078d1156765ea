#include "makedata/paint.h"

#include <algorithm>
#include <cmath>

Colour operator*(Colour c, float k) { return {c.r * k, c.g * k, c.b * k}; }
Colour operator+(Colour a, Colour b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
Colour mix(Colour a, Colour b, float t) { return a * (1 - t) + b * t; }

int pixel(Colour c) {
  auto channel = [](float v) { return static_cast<int>(std::lround(std::clamp(v, 0.0f, 255.0f))); };
  int r = channel(c.r), g = channel(c.g), b = channel(c.b);
  if (r == 255 && g == 0 && b == 255) g = 1;
  return makeacol32(r, g, b, 255);
}

Picture newpicture(int w, int h) {
  Picture p(create_bitmap_ex(32, w, h));
  if (!p) throw "Cannot create a picture";
  clear_to_color(p.get(), bitmap_mask_color(p.get()));
  return p;
}

Shape circle(float cx, float cy, float r) {
  return [=](float x, float y) { return std::hypot(x - cx, y - cy) - r; };
}

// Not an exact distance, but exact in sign and close near the edge, which
// is all that painting needs.
Shape ellipse(float cx, float cy, float rx, float ry) {
  return [=](float x, float y) {
    float u = (x - cx) / rx, v = (y - cy) / ry;
    return (std::sqrt(u * u + v * v) - 1) * std::min(rx, ry);
  };
}

Shape box(float x0, float y0, float x1, float y1) {
  return [=](float x, float y) {
    float dx = std::max(x0 - x, x - x1), dy = std::max(y0 - y, y - y1);
    if (dx <= 0 && dy <= 0) return std::max(dx, dy);
    return std::hypot(std::max(dx, 0.0f), std::max(dy, 0.0f));
  };
}

Shape capsule(float ax, float ay, float bx, float by, float r) {
  return [=](float x, float y) {
    float px = x - ax, py = y - ay, dx = bx - ax, dy = by - ay;
    float t = std::clamp((px * dx + py * dy) / (dx * dx + dy * dy), 0.0f, 1.0f);
    return std::hypot(px - dx * t, py - dy * t) - r;
  };
}

Shape polygon(std::vector<float> xy) {
  return [xy](float x, float y) {
    size_t n = xy.size() / 2;
    float best = 1e9f;
    bool inside = false;
    for (size_t i = 0, j = n - 1; i < n; j = i++) {
      float ax = xy[2 * j], ay = xy[2 * j + 1], bx = xy[2 * i], by = xy[2 * i + 1];
      float dx = bx - ax, dy = by - ay;
      float t = std::clamp(((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy), 0.0f, 1.0f);
      best = std::min(best, std::hypot(x - ax - dx * t, y - ay - dy * t));
      if ((ay > y) != (by > y) && x < ax + (y - ay) * dx / dy) inside = !inside;
    }
    return inside ? -best : best;
  };
}

Shape unite(Shape a, Shape b) {
  return [=](float x, float y) { return std::min(a(x, y), b(x, y)); };
}

Shape intersect(Shape a, Shape b) {
  return [=](float x, float y) { return std::max(a(x, y), b(x, y)); };
}

Shape subtract(Shape a, Shape b) {
  return [=](float x, float y) { return std::max(a(x, y), -b(x, y)); };
}

Shader flat(Colour c) {
  return [=](float, float) { return c; };
}

namespace {

// The drawing's own coordinates of the bitmap point (x, y).
void unplace(const Placement& at, float& x, float& y) {
  float dx = (x - at.tox) / at.scale, dy = (y - at.toy) / at.scale;
  float c = std::cos(at.angle), s = std::sin(at.angle);
  x = c * dx + s * dy + at.fromx;
  y = -s * dx + c * dy + at.fromy;
}

}  // namespace

Shape placed(const Shape& shape, const Placement& at) {
  return [=](float x, float y) {
    unplace(at, x, y);
    return shape(x, y) * at.scale / at.pixel;
  };
}

Shader placed(const Shader& shader, const Placement& at) {
  return [=](float x, float y) {
    unplace(at, x, y);
    return shader(x, y);
  };
}

void paint(BITMAP* bmp, const Shape& shape, const Shader& shader) {
  for (int y = 0; y < bmp->h; y++)
    for (int x = 0; x < bmp->w; x++) {
      float cx = x + 0.5f, cy = y + 0.5f;
      if (shape(cx, cy) < 0) putpixel(bmp, x, y, pixel(shader(cx, cy)));
    }
}

void paintoutlined(BITMAP* bmp, const Shape& shape, const Shader& shader, Colour outline) {
  for (int y = 0; y < bmp->h; y++)
    for (int x = 0; x < bmp->w; x++) {
      float cx = x + 0.5f, cy = y + 0.5f;
      float d = shape(cx, cy);
      if (d < 0) putpixel(bmp, x, y, pixel(d > -1 ? outline : shader(cx, cy)));
    }
}

Colour lit(Colour base, float nx, float ny, float nz) {
  const float lx = -0.45f, ly = -0.6f, lz = 0.66f;
  float diffuse = std::max(0.0f, nx * lx + ny * ly + nz * lz);
  // Reflection of the light about the normal, seen from straight ahead.
  float rz = 2 * (nx * lx + ny * ly + nz * lz) * nz - lz;
  float specular = std::pow(std::max(0.0f, rz), 12.0f) * 110;
  Colour white{specular, specular, specular};
  return base * (0.3f + 0.85f * diffuse) + white;
}

Shader ball(Colour base, float cx, float cy, float r) {
  return [=](float x, float y) {
    float nx = (x - cx) / r, ny = (y - cy) / r;
    float nz = std::sqrt(std::max(0.0f, 1 - nx * nx - ny * ny));
    return lit(base, nx, ny, nz);
  };
}

Shader cylinder(Colour base, float cx, float hw) {
  return [=](float x, float) {
    float nx = std::clamp((x - cx) / hw, -1.0f, 1.0f);
    return lit(base, nx, 0, std::sqrt(1 - nx * nx));
  };
}

float smoothstep(float a, float b, float x) {
  float t = clamp01((x - a) / (b - a));
  return t * t * (3 - 2 * t);
}
