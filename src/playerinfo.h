#pragma once

// The player's progress through one run of the program. Nothing is saved.
struct PlayerInfo {
  int score;           // points earned in the current game
  int money;           // whole dollars to spend in the shop
  int engine;          // id of the fitted engine (a shipitems row of ItemEngine)
  int weapon;          // id of the fitted gun (a shipitems row of ItemWeapon)
  int level;           // level being played or about to be played
  bool levelcomplete;  // the ship has finished the current level
  int maxstartlevel;   // highest level the main menu lets the player start on

  // Starts a new game: no score or money, Mk1 engine, plain acid gun.
  // Leaves level and maxstartlevel alone.
  void init();
};

extern PlayerInfo playerinfo;
