#pragma once

// Constants every module shares.

// The game has levels 1 to NumLevels, played in order.
constexpr int NumLevels = 6;
