#pragma once

// The game's one source of chance: the standard library's rand(), never
// seeded by the game, so that a run can be replayed from a known seed.

// A whole number from min to max, both included, from rand().
int randombetween(int min, int max);
