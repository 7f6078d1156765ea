#pragma once

#include <string>

#include "makedata/paint.h"

// The game's icon for the desktop menu: the rocket climbing past a small
// Mars, on a transparent ground. `size` pixels square (16 to 512), 32-bit
// with a real alpha channel, its edges smoothed.
Picture makeicon(int size);

// Writes a 32-bit picture with its alpha channel as a PNG file; false with
// a reason when it cannot.
bool savepng(const char* path, BITMAP* picture, std::string& why);
