#pragma once

#include <allegro.h>

// Drawing a whole level small: the level picture scaled down, its open cave
// tinted blue, and rings and boxes that keep the ship, the wibblets and the
// exit visible where their pictures would be a few pixels across. The
// designer's overview pictures (levelcheck, the pilot) and the player's map
// look alike because both draw with these.

// Stretches the whole of `picture` over the whole of `small`.
void scalepicture(BITMAP* picture, BITMAP* small);

// Lifts the blue of pixel (x, y): how an overview shows open cave.
void tintopen(BITMAP* picture, int x, int y);

// The marks, centred on (x, y) in the scaled picture's pixels: a white ring
// for the ship, a ring in the colour of its drops for a wibblet, a magenta
// box round the exit whose bottom middle is (x, y).
void markship(BITMAP* picture, int x, int y);
void markwibblet(BITMAP* picture, int x, int y, int colour);
void markexit(BITMAP* picture, int x, int y);

// A white stroke from the ship's mark towards its nose; `angle` in radians,
// 0 nose up, positive clockwise.
void markheading(BITMAP* picture, int x, int y, float angle);
