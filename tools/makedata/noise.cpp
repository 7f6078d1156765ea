#include "makedata/noise.h"

#include <cmath>

#include "makedata/rng.h"

namespace {

float lattice(uint64_t seed, int ix, int iy) {
  Rng r(seed * 0x9E3779B97F4A7C15ULL + static_cast<uint64_t>(ix) * 0x632BE59BD9B4E019ULL +
        static_cast<uint64_t>(iy) * 0x85157AF5ULL);
  return r.unit();
}

float fade(float t) { return t * t * (3 - 2 * t); }

int wrap(int i, int n) { return ((i % n) + n) % n; }

}  // namespace

float valuenoise(uint64_t seed, float x, float y, float period, int cells) {
  float u = x / period * cells, v = y / period * cells;
  int iu = static_cast<int>(std::floor(u)), iv = static_cast<int>(std::floor(v));
  float fu = fade(u - iu), fv = fade(v - iv);
  int u0 = wrap(iu, cells), u1 = wrap(iu + 1, cells), v0 = wrap(iv, cells), v1 = wrap(iv + 1, cells);
  float top = lattice(seed, u0, v0) * (1 - fu) + lattice(seed, u1, v0) * fu;
  float bottom = lattice(seed, u0, v1) * (1 - fu) + lattice(seed, u1, v1) * fu;
  return top * (1 - fv) + bottom * fv;
}

float fractalnoise(uint64_t seed, float x, float y, float period, int cells, int octaves) {
  float sum = 0, weight = 1, total = 0;
  for (int i = 0; i < octaves; i++) {
    sum += valuenoise(seed + i, x, y, period, cells << i) * weight;
    total += weight;
    weight *= 0.5f;
  }
  return sum / total;
}
