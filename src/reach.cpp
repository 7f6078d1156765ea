#include "reach.h"

#include <algorithm>
#include <limits>

namespace {

const float Far = 1e20f;

// One-dimensional squared distance transform of f (n samples) into d, by
// the lower envelope of parabolas (Felzenszwalb and Huttenlocher).
// v and z are scratch space of n and n + 1 entries.
void sqdistance1d(const float* f, float* d, int n, int* v, float* z) {
  int k = 0;
  v[0] = 0;
  z[0] = -Far;
  z[1] = Far;
  for (int q = 1; q < n; q++) {
    float s;
    for (;;) {
      int p = v[k];
      s = ((f[q] + float(q) * q) - (f[p] + float(p) * p)) / (2.0f * (q - p));
      if (s > z[k] || k == 0) break;
      k--;
    }
    if (s <= z[k]) s = z[k];
    k++;
    v[k] = q;
    z[k] = s;
    z[k + 1] = Far;
  }
  k = 0;
  for (int q = 0; q < n; q++) {
    while (z[k + 1] < q) k++;
    float dq = float(q - v[k]);
    d[q] = dq * dq + f[v[k]];
  }
}

}  // namespace

std::vector<float> solidsqdistances(BITMAP* solid) {
  // A one-pixel frame of solid around the bitmap makes the world's edge
  // behave as rock, as the game's collision test does.
  const int w = solid->w + 2, h = solid->h + 2;
  std::vector<float> grid(static_cast<size_t>(w) * h, 0.0f);
  for (int y = 0; y < solid->h; y++)
    for (int x = 0; x < solid->w; x++)
      grid[static_cast<size_t>(y + 1) * w + x + 1] = getpixel(solid, x, y) ? 0.0f : Far;

  const int n = w > h ? w : h;
  std::vector<float> f(n), d(n), z(n + 1);
  std::vector<int> v(n);
  for (int x = 0; x < w; x++) {
    for (int y = 0; y < h; y++) f[y] = grid[static_cast<size_t>(y) * w + x];
    sqdistance1d(f.data(), d.data(), h, v.data(), z.data());
    for (int y = 0; y < h; y++) grid[static_cast<size_t>(y) * w + x] = d[y];
  }
  // The rows are done in place, each moved to its place without the frame
  // (never beyond where it was read), so a level costs one plane of floats.
  for (int y = 1; y < h - 1; y++) {
    sqdistance1d(&grid[static_cast<size_t>(y) * w], d.data(), w, v.data(), z.data());
    std::copy(d.begin() + 1, d.begin() + w - 1, grid.begin() + static_cast<ptrdiff_t>(y - 1) * solid->w);
  }
  grid.resize(static_cast<size_t>(solid->w) * solid->h);
  return grid;
}

Grid fitmap(BITMAP* solid, int radius) {
  std::vector<float> sq = solidsqdistances(solid);
  Grid fits(solid->w, solid->h);
  const float limit = float(radius) * radius;
  for (size_t i = 0; i < sq.size(); i++) fits.cells[i] = sq[i] > limit;
  return fits;
}

bool discfits(BITMAP* solid, int x, int y, int radius) {
  for (int dy = -radius; dy <= radius; dy++)
    for (int dx = -radius; dx <= radius; dx++)
      if (dx * dx + dy * dy <= radius * radius && getpixel(solid, x + dx, y + dy) != 0) return false;
  return true;
}

Grid floodfill(const Grid& open, int x, int y) {
  Grid reached(open.w, open.h);
  if (!open.at(x, y)) return reached;
  std::vector<int> queue;
  queue.push_back(y * open.w + x);
  reached.cells[queue[0]] = 1;
  for (size_t head = 0; head < queue.size(); head++) {
    const int cx = queue[head] % open.w, cy = queue[head] / open.w;
    const int nx[4] = {cx - 1, cx + 1, cx, cx};
    const int ny[4] = {cy, cy, cy - 1, cy + 1};
    for (int i = 0; i < 4; i++) {
      if (!open.at(nx[i], ny[i])) continue;
      const int index = ny[i] * open.w + nx[i];
      if (reached.cells[index]) continue;
      reached.cells[index] = 1;
      queue.push_back(index);
    }
  }
  return reached;
}
