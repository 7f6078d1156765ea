#pragma once

#include <cstdint>

// Smooth value noise in 0..1 that repeats every `period` pixels in x and y:
// a lattice of cells x cells random values, smoothly interpolated.
float valuenoise(uint64_t seed, float x, float y, float period, int cells);

// Octaves of value noise, each with twice the cells and half the weight of
// the one before, starting at `cells`; still repeats every `period` pixels.
float fractalnoise(uint64_t seed, float x, float y, float period, int cells, int octaves);
