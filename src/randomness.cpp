#include "randomness.h"

#include <cstdlib>

int randombetween(int min, int max) { return min + rand() % (max - min + 1); }
