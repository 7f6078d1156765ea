#pragma once

#include <allegro.h>

#include <functional>
#include <memory>
#include <vector>

// Drawing helpers for the baker's pictures. Shapes are signed distance
// functions (negative inside, in pixels); a picture is painted by asking a
// shape for every pixel centre and a shader for the colour inside it, layer
// over layer, which keeps every sprite's code a short list of its parts.

struct Colour {
  float r = 0, g = 0, b = 0;
};

Colour operator*(Colour c, float k);
Colour operator+(Colour a, Colour b);
Colour mix(Colour a, Colour b, float t);

// A 32-bit pixel value, channels clamped to 0..255. Never returns the mask
// colour, so a painted pixel can never turn transparent by accident.
int pixel(Colour c);

struct PictureDeleter {
  void operator()(BITMAP* b) const { destroy_bitmap(b); }
};
using Picture = std::unique_ptr<BITMAP, PictureDeleter>;

// A 32-bit picture filled with the mask colour (magenta).
Picture newpicture(int w, int h);

using Shape = std::function<float(float x, float y)>;
using Shader = std::function<Colour(float x, float y)>;

Shape circle(float cx, float cy, float r);
Shape ellipse(float cx, float cy, float rx, float ry);
Shape box(float x0, float y0, float x1, float y1);
Shape capsule(float ax, float ay, float bx, float by, float r);
Shape polygon(std::vector<float> xy);  // x0, y0, x1, y1, ... in order
Shape unite(Shape a, Shape b);
Shape intersect(Shape a, Shape b);
Shape subtract(Shape a, Shape b);

Shader flat(Colour c);

// Where a drawing made in its own coordinates lands on a bitmap: its point
// (fromx, fromy) at (tox, toy), turned `angle` radians clockwise, `scale`
// bitmap pixels to one of its units. Distances come out in units of `pixel`
// bitmap pixels, so a picture painted large to be scaled down keeps its
// outlines one final pixel wide. The default places a drawing as it is.
struct Placement {
  float tox = 0, toy = 0, fromx = 0, fromy = 0, angle = 0, scale = 1, pixel = 1;
};
Shape placed(const Shape& shape, const Placement& at);
Shader placed(const Shader& shader, const Placement& at);

// Paints every pixel whose centre lies inside `shape` with `shader`.
void paint(BITMAP* bmp, const Shape& shape, const Shader& shader);

// As paint, with a one-pixel rim of `outline` just inside the edge, which
// keeps a masked sprite readable on any background.
void paintoutlined(BITMAP* bmp, const Shape& shape, const Shader& shader, Colour outline);

// Lambert and a little specular light from the upper left for a surface
// normal (nx, ny, nz), nz towards the viewer.
Colour lit(Colour base, float nx, float ny, float nz);

// A shader for a ball of radius r at (cx, cy).
Shader ball(Colour base, float cx, float cy, float r);

// A shader for an upright cylinder whose axis is at cx with half-width hw.
Shader cylinder(Colour base, float cx, float hw);

inline float clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }
float smoothstep(float a, float b, float x);
