#pragma once

#include <allegro.h>

#include <string>

// XPM, the X picture format that is also C source: what Allegro takes as
// a window's icon (allegro_icon), compiled into the game.

// The XPM text of a 32-bit picture with an alpha channel, as an array of
// strings called `name`. A pixel under half opaque is transparent, any
// other keeps its colour.
std::string encodexpm(const std::string& name, BITMAP* picture);

// Writes encodexpm's text to `path`, the array named after the file (its
// name's letters and digits, '_' for the rest); false with a reason when it
// cannot.
bool savexpm(const char* path, BITMAP* picture, std::string& why);
