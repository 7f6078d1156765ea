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

// The arithmetic behind the dialogs, kept apart so it can be checked
// without a screen.

// The start level the main menu's field asks for: its number when it lies
// in 1..maxstartlevel, otherwise 1 (empty, zero, too high or not a number).
int parsestartlevel(const char* text, int maxstartlevel);

// Dollars paid for finishing a level.
struct LevelBonus {
  int completion;  // 20 per level number
  int oxygen;      // 20 per full tank left, the fraction cut off
  int hydrogen;
  int ammo;
  int total() const { return completion + oxygen + hydrogen + ammo; }
};

// The bonus for finishing `level` with these stores left (1.0 is a full
// tank). A store run below empty pays nothing rather than costing money.
LevelBonus levelbonus(int level, float oxygen, float hydrogen, float ammo);

// Adds the bonus to money and score and, unless playerinfo.level is the
// last level, sets maxstartlevel to the level after it (even if it was
// higher before).
void paylevelbonus(const LevelBonus& bonus);

// Name of the fitted engine or gun, whichever kind catalogue row `item` is,
// or "None" when no row matches.
const char* currentitemname(int item);

// What pressing Buy on a catalogue row came to.
enum class Purchase { Bought, NotEnoughCash, AlreadyFitted, NoSuchItem };

// Fits catalogue row `item` and takes its price when the player can afford
// it. The item already fitted costs nothing and changes nothing; a lesser
// one replaces a better one. A row outside the catalogue is NoSuchItem and
// changes nothing.
Purchase buyitem(int item);

// The purchase screen's line for an outcome: "Bought!", "Not enough cash",
// "Already fitted" or, never shown since the shop offers only its rows,
// "No such item".
const char* purchasemessage(Purchase outcome);
