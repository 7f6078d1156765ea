#pragma once

#include "makedata/datawriter.h"

// The game's sound effects, synthesised at 22050 Hz. Each is normalised to
// the same peak so that the game's volumes alone set the loudness.
extern const int SoundRate;

Sound shotsound();           // a short falling "pew" of acid leaving the gun
Sound shipexplodesound();    // a long rumbling blast
Sound shiphitsound();        // a metallic clang on the hull
Sound enemydeathsound();     // a wet, warbling squelch
