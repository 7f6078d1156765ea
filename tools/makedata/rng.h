#pragma once

#include <cstdint>

// The baker's own random source (SplitMix64), seeded per picture or sound
// so that every build writes the same bytes whatever the C library's rand()
// does and whatever order the generators run in.
class Rng {
 public:
  explicit Rng(uint64_t seed) : state(seed) {}

  uint64_t next() {
    uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }

  // Uniform in [0, 1).
  float unit() { return static_cast<float>(next() >> 40) / static_cast<float>(1ULL << 24); }

  // Uniform in [lo, hi).
  float range(float lo, float hi) { return lo + (hi - lo) * unit(); }

 private:
  uint64_t state;
};
