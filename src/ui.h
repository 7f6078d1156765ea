#pragma once

#include <allegro.h>

// The dialog screens between levels: main menu, level start, shop,
// purchase and level complete.

// Takes the dialog font from the data file. Call once after LoadData.
void initui();
// White text on dark brown in the dialog font, for every entry of dlg.
void setcolours(DIALOG* dlg);
// The main menu. Sets playerinfo.level from the start-level field; returns
// true for "Play", false for "Quit" or Esc.
bool uimainmenu();
// "Entering level N" with the shop behind "Buy Stuff". True to play the
// level, false to end the game.
bool uistartlevel();
// The shop: pages through the catalogue until the player leaves.
void uishop();
// Tries to buy catalogue row `item` and shows the result.
void uibuy(int item);
// Pays the level bonus from playership's stores and shows it.
void uilevelcomplete();
