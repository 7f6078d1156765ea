#pragma once

#include <cstdint>

#include "makedata/paint.h"

// Textures and screens: opaque pictures (dirt has an alpha channel).

// 256x256 Martian rock that repeats every 128 pixels, so its top-left
// 128x128 tiles seamlessly.
Picture makerock();

// 128x128 soft blotch of `colour`, alpha fading to 0 well inside its edges.
Picture makedirt(uint64_t seed, Colour colour);

// 64x48 instrument panel: bar slots at x 29..61, y 3..27 and the shield
// gauge centred at (11, 38).
Picture makepanel();

// 640x120 title: "Mars Flyer" over a Martian dusk.
Picture maketitle();
