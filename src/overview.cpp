#include "overview.h"

#include <cmath>

namespace {

const int ShipRing = 9;     // radius, pixels of the scaled picture
const int WibbletRing = 7;
// The exit's box reaches this far either side of its foot, above it and below it.
const int ExitHalfWidth = 14;
const int ExitAbove = 14;
const int ExitBelow = 2;
// The heading stroke runs from inside the ship's ring to just beyond it.
const float HeadingFrom = 3.0f;
const float HeadingTo = ShipRing + 4.0f;

int white() { return makecol(255, 255, 255); }

}  // namespace

void scalepicture(BITMAP* picture, BITMAP* small) {
  stretch_blit(picture, small, 0, 0, picture->w, picture->h, 0, 0, small->w, small->h);
}

void tintopen(BITMAP* picture, int x, int y) {
  const int c = getpixel(picture, x, y);
  putpixel(picture, x, y, makecol(getr(c), getg(c), getb(c) / 2 + 70));
}

void markship(BITMAP* picture, int x, int y) { circle(picture, x, y, ShipRing, white()); }

void markwibblet(BITMAP* picture, int x, int y, int colour) { circle(picture, x, y, WibbletRing, colour); }

void markexit(BITMAP* picture, int x, int y) {
  rect(picture, x - ExitHalfWidth, y - ExitAbove, x + ExitHalfWidth, y + ExitBelow, makecol(255, 0, 255));
}

void markheading(BITMAP* picture, int x, int y, float angle) {
  const float dx = std::sin(angle), dy = -std::cos(angle);
  line(picture, x + int(std::lround(dx * HeadingFrom)), y + int(std::lround(dy * HeadingFrom)),
       x + int(std::lround(dx * HeadingTo)), y + int(std::lround(dy * HeadingTo)), white());
}
