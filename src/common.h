#pragma once

// Constants every module shares.

// The game has levels 1 to NumLevels, played in order.
constexpr int NumLevels = 6;

// The display: the game and the editor always run at 640x480.
constexpr int ScreenWidth = 640;
constexpr int ScreenHeight = 480;
// Screen column where the ship's instrument panel starts (top-right corner).
constexpr int PanelScreenX = 576;

// Size of every level picture, its composition surface and collision map.
constexpr int LevelWidth = 2560;
constexpr int LevelHeight = 2560;
