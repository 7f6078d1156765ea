#pragma once

#include <allegro.h>

#include "checks.h"

// The overview picture of a whole level for the designer: the rendered cave
// with its bases, tanks, wibblets and ship, scaled down to PictureSize
// pixels square, the part of the cave the ship's centre can reach tinted
// blue and each wibblet, the ship and the exit ringed so they show small.

constexpr int PictureSize = 640;

// Builds the overview from `background` (the rendered level picture) and
// `reached` (where the ship's centre can fly; may be empty). The caller
// destroys the result; throws "Problem creating bitmaps" when it cannot
// be made.
BITMAP* makeoverview(BITMAP* background, const CheckedLevel& level, const Grid& reached);

// Writes the overview to `filename` (BMP, PCX or TGA by its extension).
// Returns false when the file cannot be written.
bool writeoverview(const char* filename, BITMAP* background, const CheckedLevel& level, const Grid& reached);
