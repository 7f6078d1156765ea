#pragma once

#include "makedata/paint.h"

// The masked sprites of the game world, drawn nose up / standing upright.
// Every picture is 32-bit with magenta as the transparent colour.

Picture makeship();            // 32x36 rocket, within 26 px of its centre
// Paints the rocket of makeship, whose picture's own coordinates run over
// 0..32 x 0..36 with the nose up, where `at` places it.
void paintship(BITMAP* bmp, const Placement& at);
Picture makebluewibblet();     // 28 wide: a spiky floating eye
Picture makegreenwibblet();    // 40 wide: a three-eyed slime
Picture makeorangewibblet();   // 32 wide: a jellyfish
Picture makeyellowwibblet();   // 36 wide: a winged bug
Picture makestartbase();       // 80x24 landing pad
Picture makeexitbase();        // 80x32 teleporter pad

// Tanks share one 32x32 shape so that a drained tank can replace any of
// them in place; `label` is printed on the tank's band.
Picture maketank(Colour body, const char* label);
Picture makeemptytank();

// A fiery burst `size` pixels across; `seed` and `lobes` vary its outline.
Picture makeexplosion(int size, uint64_t seed, int lobes);
