#pragma once

#include <allegro.h>

// Composes every picture, the font and the panel of a loaded data.dat on
// one 800x680 sheet, shown the way the game shows them (sprites masked over
// cave rock, dirt alpha-blended, text white on the dialogs' brown), for
// judging the art as a whole. Needs colour depth 32; null on failure.
BITMAP* makecontactsheet(DATAFILE* data);
