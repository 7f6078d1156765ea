#include "ui.h"

#include <cstdio>
#include <cstdlib>

#include "classes.h"
#include "common.h"
#include "data.h"
#include "gamedata.h"
#include "items.h"
#include "manager.h"
#include "playerinfo.h"
#include "signals.h"

namespace {

FONT* nicefont = nullptr;

// Allegro's dialog procedures only read their texts, but DIALOG keeps them
// as void*.
constexpr void* txt(const char* s) { return const_cast<char*>(s); }

const char* const Story =
    "Erm, on Mars Dr. Frankenstein has made some mutant wibblets. And they took over the "
    "mines and stuff.Or some lame plot like that. you know the score :)";

const char* const Instructions =
    "The aim on each level is to reach the exit. The wibblets may stop you doing that. Use "
    "the arrow keys to rotate your ship, the up arrow to fire the rocket, and the CTRL key to "
    "fire the acid gun.  Your ship runs on hydrogen and oxygen, pick these up by pressing "
    "SPACE when near to a tank. Tanks of acid are also available to recharge your ammo. To "
    "end the level, find the teleporter pad and hold down space for a couple of seconds.\n"
    "You may start on any level you have reached before (this is not saved)";

const char* const ShopTitle = "Honest Vosk's spacefaring Ltd";
const char* const WinningLine = "You Won! (Sorry there is no outro!)";

// The start level field takes two characters. Allegro wants room for
// (characters + 1) of its widest encoded character, six bytes in UTF-8,
// whatever the player types.
const int StartLevelChars = 2;
const int StartLevelBufferSize = 24;
static_assert(StartLevelBufferSize >= (StartLevelChars + 1) * 6, "start level buffer too small");

// Enter presses the chosen button (see rundialog) even while the focus is in
// a text field or box, which would leave it alone: from them it closes the
// dialog, and rundialog takes that for a press of the chosen button.
int closeonenter(int (*proc)(int, DIALOG*, int), int msg, DIALOG* d, int c) {
  if (msg == MSG_CHAR && (c >> 8 == KEY_ENTER || c >> 8 == KEY_ENTER_PAD)) return D_CLOSE | D_USED_CHAR;
  return proc(msg, d, c);
}
int editfield(int msg, DIALOG* d, int c) { return closeonenter(d_edit_proc, msg, d, c); }
int textbox(int msg, DIALOG* d, int c) { return closeonenter(d_textbox_proc, msg, d, c); }

// Colours and fonts are filled in by setcolours before each run.
// clang-format off
DIALOG dlgMainMenu[] = {
    {d_clear_proc,     0, 120, 640, 480, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},
    {d_bitmap_proc,    0,   0, 640, 120, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},  // title picture
    {d_text_proc,      8, 128, 624,  30, 0, 0, 0, 0, 0, 0, txt("Background"), nullptr, nullptr},
    {textbox,          8, 158, 624,  90, 0, 0, 0, 0, 0, 0, txt(Story), nullptr, nullptr},
    {d_text_proc,      8, 248, 624,  30, 0, 0, 0, 0, 0, 0, txt("How to Play"), nullptr, nullptr},
    {textbox,          8, 276, 624,  76, 0, 0, 0, 0, 0, 0, txt(Instructions), nullptr, nullptr},
    {d_button_proc,    8, 400, 144,  76, 0, 0, 0, D_EXIT, 0, 0, txt("Play"), nullptr, nullptr},
    {d_button_proc,  320, 400, 144,  76, 0, 0, 0, D_EXIT, 0, 0, txt("Quit"), nullptr, nullptr},
    {d_text_proc,      8, 360,  80,  30, 0, 0, 0, 0, 0, 0, txt("Start Level"), nullptr, nullptr},
    {editfield,      188, 360,  80,  30, 0, 0, 0, 0, StartLevelChars, 0, nullptr, nullptr, nullptr},  // start level
    {nullptr,          0,   0,   0,   0, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr}};
enum { MainTitle = 1, MainPlay = 6, MainStartLevel = 9 };

DIALOG dlgLevelStart[] = {
    {d_clear_proc,     0,   0, 640, 480, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},
    {d_box_proc,       0,   0, 640, 120, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},
    {d_text_proc,      8,   8, 624, 104, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},  // "Entering level N"
    {d_button_proc,    8, 400, 144,  76, 0, 0, 0, D_EXIT, 0, 0, txt("Play"), nullptr, nullptr},
    {d_button_proc,  160, 400, 144,  76, 0, 0, 0, D_EXIT, 0, 0, txt("Buy Stuff"), nullptr, nullptr},
    {d_button_proc,  320, 400, 144,  76, 0, 0, 0, D_EXIT, 0, 0, txt("End Game"), nullptr, nullptr},
    {nullptr,          0,   0,   0,   0, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr}};
enum { StartTitle = 2, StartPlay = 3, StartShop = 4, StartEndGame = 5 };

DIALOG dlgShop[] = {
    {d_clear_proc,     0,   0, 640, 480, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},
    {d_box_proc,       0,   0, 640, 120, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},
    {d_text_proc,      8,   8, 424, 104, 0, 0, 0, 0, 0, 0, txt(ShopTitle), nullptr, nullptr},
    {d_text_proc,    432,   8, 200, 104, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},  // money
    {d_button_proc,    8, 400, 116,  76, 0, 0, 0, D_EXIT, 0, 0, txt("Play"), nullptr, nullptr},
    {d_button_proc,  128, 400, 120,  76, 0, 0, 0, D_EXIT, 0, 0, txt("Prev"), nullptr, nullptr},
    {d_button_proc,  256, 400, 120,  76, 0, 0, 0, D_EXIT, 0, 0, txt("Next"), nullptr, nullptr},
    {d_button_proc,  384, 400, 120,  76, 0, 0, 0, D_EXIT, 0, 0, txt("Buy"), nullptr, nullptr},
    {d_rtext_proc,     8, 128,  80,  20, 0, 0, 0, 0, 0, 0, txt("Item:"), nullptr, nullptr},
    {d_text_proc,     96, 128, 536,  20, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},  // name
    {d_rtext_proc,     8, 158,  80,  20, 0, 0, 0, 0, 0, 0, txt("Price:"), nullptr, nullptr},
    {d_text_proc,     96, 158, 536,  20, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},  // price
    {d_rtext_proc,     8, 188,  80,  20, 0, 0, 0, 0, 0, 0, txt("Desc:"), nullptr, nullptr},
    {textbox,         96, 188, 536, 150, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},  // description
    {d_rtext_proc,     8, 340,  80,  20, 0, 0, 0, 0, 0, 0, txt("Current:"), nullptr, nullptr},
    {d_text_proc,     96, 340, 536,  20, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},  // fitted item
    {nullptr,          0,   0,   0,   0, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr}};
enum {
  ShopMoney = 3, ShopPlay = 4, ShopPrev = 5, ShopNext = 6, ShopBuy = 7,
  ShopName = 9, ShopPrice = 11, ShopDescription = 13, ShopCurrent = 15
};

DIALOG dlgBuy[] = {
    {d_clear_proc,     0,   0, 640, 480, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},
    {d_box_proc,       0,   0, 640, 120, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},
    {d_text_proc,      8,   8, 424, 104, 0, 0, 0, 0, 0, 0, txt(ShopTitle), nullptr, nullptr},
    {d_button_proc,    8, 400, 116,  76, 0, 0, 0, D_EXIT, 0, 0, txt("Continue"), nullptr, nullptr},
    {d_rtext_proc,     8, 128,  80,  20, 0, 0, 0, 0, 0, 0, txt("Item:"), nullptr, nullptr},
    {d_text_proc,     96, 128, 536,  20, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},  // name
    {d_text_proc,     96, 158, 536,  20, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},  // outcome
    {nullptr,          0,   0,   0,   0, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr}};
enum { BuyContinue = 3, BuyName = 5, BuyOutcome = 6 };

DIALOG dlgComplete[] = {
    {d_clear_proc,     0,   0, 640, 480, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},
    {d_box_proc,       0,   0, 640, 120, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},
    {d_text_proc,      8,   8, 424, 104, 0, 0, 0, 0, 0, 0, txt("Level Complete"), nullptr, nullptr},
    {d_button_proc,    8, 400, 116,  76, 0, 0, 0, D_EXIT, 0, 0, txt("Continue"), nullptr, nullptr},
    {d_rtext_proc,     8, 128, 160,  20, 0, 0, 0, 0, 0, 0, txt("completion:"), nullptr, nullptr},
    {d_text_proc,    196, 128, 536,  20, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},
    {d_rtext_proc,     8, 158, 160,  20, 0, 0, 0, 0, 0, 0, txt("Oxygen bonus:"), nullptr, nullptr},
    {d_text_proc,    196, 158, 536,  20, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},
    {d_rtext_proc,     8, 188, 160,  20, 0, 0, 0, 0, 0, 0, txt("Hydrogen bonus:"), nullptr, nullptr},
    {d_text_proc,    196, 188, 536, 150, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},
    {d_rtext_proc,     8, 218, 160,  20, 0, 0, 0, 0, 0, 0, txt("Ammo Bonus:"), nullptr, nullptr},
    {d_text_proc,    196, 218, 536,  20, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},
    {d_text_proc,    196, 248, 536,  20, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},  // winning line
    {nullptr,          0,   0,   0,   0, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr}};
enum {
  CompleteContinue = 3, CompleteLevel = 5, CompleteOxygen = 7, CompleteHydrogen = 9,
  CompleteAmmo = 11, CompleteWon = 12
};
// clang-format on

const int TextSize = 50;  // money, price and bonus texts

// Rows of the catalogue before its EndOfItems terminator.
int catalogueitems() {
  int n = 0;
  while (shipitems[n].type != EndOfItems) n++;
  return n;
}

bool validitem(int item) { return item >= 0 && item < catalogueitems(); }

// The playerinfo field holding the fitted id of `row`'s kind.
int& fittedid(const ShipItem& row) {
  return row.type == ItemEngine ? playerinfo.engine : playerinfo.weapon;
}

// Whole dollars for a store left in a tank: 20 a tank, the fraction cut
// off. One more burn or shot on an empty store leaves it slightly below
// zero, which must not turn the bonus into a charge.
int storebonus(float store) {
  if (!(store > 0.0f)) return 0;
  return static_cast<int>(store * 20.0);
}

// The bonus the finished level's ship earned; only the completion part
// when no ship is left to measure.
LevelBonus finishedlevelbonus() {
  Ship* ship = dynamic_cast<Ship*>(playership);
  if (!ship) return levelbonus(playerinfo.level, 0.0f, 0.0f, 0.0f);
  return levelbonus(playerinfo.level, ship->oxygen, ship->hydrogen, ship->ammo);
}

// Fills the shop's texts for catalogue row `item`.
void fillshoppage(int item, char* money, char* price) {
  const ShipItem& row = shipitems[item];
  snprintf(money, TextSize, "Money: $ %d", playerinfo.money);
  snprintf(price, TextSize, "$ %d", row.price);
  dlgShop[ShopMoney].dp = money;
  dlgShop[ShopName].dp = txt(row.name);
  dlgShop[ShopPrice].dp = price;
  dlgShop[ShopDescription].dp = txt(row.description);
  // The description is long prose; the default font fits it in its box.
  dlgShop[ShopDescription].dp2 = font;
  dlgShop[ShopCurrent].dp = txt(currentitemname(item));
}

// The row the pager shows after Prev or Next; the ends stay put.
int turnpage(int item, int button) {
  if (button == ShopPrev && item > 0) return item - 1;
  if (button == ShopNext && item + 1 < catalogueitems()) return item + 1;
  return item;
}

bool isbutton(const DIALOG* dlg, int obj) { return obj >= 0 && dlg[obj].proc == d_button_proc; }
bool istextfield(const DIALOG* dlg, int obj) { return obj >= 0 && dlg[obj].proc == editfield; }

void givefocus(DIALOG_PLAYER* player, int obj) {
  if (obj >= 0) player->res |= offer_focus(player->dialog, obj, &player->focus_obj, TRUE);
}

// The pointer has moved from object `from` onto the one it is on now. A
// text field takes the focus while the pointer is on it, so a start level
// can be typed without a click; leaving it gives the focus back to the
// button Enter presses.
void pointermoved(DIALOG_PLAYER* player, int from, int chosen) {
  DIALOG* dlg = player->dialog;
  if (istextfield(dlg, player->mouse_obj))
    player->res |= offer_focus(dlg, player->mouse_obj, &player->focus_obj, FALSE);
  else if (istextfield(dlg, from) && player->focus_obj == from)
    givefocus(player, chosen);
}

// Sleeps between dialog passes. While the player works the screen a pass
// comes every millisecond, as often as Allegro reads the input; once it has
// been quiet for a while, every few milliseconds, still well within one
// frame of the display, so that a waiting screen costs next to nothing.
class PassPacer {
 public:
  void rest() {
    const Input now{gui_mouse_x(), gui_mouse_y(), gui_mouse_b()};
    quietpasses = now == seen ? quietpasses + 1 : 0;
    seen = now;
    if (keypressed()) return;  // the next key at once
    ::rest(quietpasses < QuietPasses ? BusyMilliseconds : QuietMilliseconds);
  }

 private:
  static constexpr int BusyMilliseconds = 1;
  static constexpr int QuietMilliseconds = 4;
  static constexpr int QuietPasses = 200;
  struct Input {
    int x, y, buttons;
    bool operator==(const Input& o) const { return x == o.x && y == o.y && buttons == o.buttons; }
  };
  Input seen{-1, -1, -1};
  int quietpasses = 0;
};

// Runs a dialog as Allegro's do_dialog does and returns the index of the
// object that closed it, or -1 for Esc. Two things differ:
// - It rests between passes, so a screen waiting for the player leaves the
//   processor alone.
// - The focus no longer follows the pointer, whose position Allegro may not
//   know until it first moves. Enter presses the chosen button: the one the
//   dialog opens on, or the button last clicked or reached with Tab, even
//   while the focus is in a text field.
int rundialog(DIALOG* dlg, int focus) {
  const int followedpointer = gui_mouse_focus;
  gui_mouse_focus = FALSE;
  show_mouse(gui_get_screen());
  DIALOG_PLAYER* player = init_dialog(dlg, focus);
  PassPacer pacer;
  int chosen = focus;
  int pointed = player->mouse_obj;
  for (;;) {
    checkstop();  // SIGTERM, SIGINT or SIGHUP end the program from here
    if (!update_dialog(player)) break;
    if (isbutton(dlg, player->focus_obj)) chosen = player->focus_obj;
    if (player->mouse_obj != pointed) {
      pointermoved(player, pointed, chosen);
      pointed = player->mouse_obj;
    }
    pacer.rest();
  }
  const int res = shutdown_dialog(player);
  show_mouse(nullptr);
  gui_mouse_focus = followedpointer;
  return res < 0 || isbutton(dlg, res) ? res : chosen;  // Enter in a text field or box
}

}  // namespace

void initui() { nicefont = static_cast<FONT*>(datafile[DataFont].dat); }

void setcolours(DIALOG* dlg) {
  const int white = makecol(255, 255, 255);
  const int darkbrown = makecol(80, 60, 0);
  for (DIALOG* d = dlg; d->proc; d++) {
    d->fg = white;
    d->bg = darkbrown;
    d->dp2 = nicefont;
  }
}

int parsestartlevel(const char* text, int maxstartlevel) {
  int n = atoi(text);
  return n >= 1 && n <= maxstartlevel ? n : 1;
}

LevelBonus levelbonus(int level, float oxygen, float hydrogen, float ammo) {
  return {level * 20, storebonus(oxygen), storebonus(hydrogen), storebonus(ammo)};
}

void paylevelbonus(const LevelBonus& bonus) {
  playerinfo.money += bonus.total();
  playerinfo.score += bonus.total();
  // The next level becomes the highest start, even after a game started
  // further on.
  if (playerinfo.level < NumLevels) playerinfo.maxstartlevel = playerinfo.level + 1;
}

const char* currentitemname(int item) {
  if (!validitem(item)) return "None";
  const ShipItem& shown = shipitems[item];
  const int fitted = fittedid(shown);
  const char* name = "None";
  for (const ShipItem* row = shipitems; row->type != EndOfItems; row++)
    if (row->type == shown.type && row->id == fitted) name = row->name;
  return name;
}

Purchase buyitem(int item) {
  if (!validitem(item)) return Purchase::NoSuchItem;
  const ShipItem& row = shipitems[item];
  if (fittedid(row) == row.id) return Purchase::AlreadyFitted;
  if (row.price > playerinfo.money) return Purchase::NotEnoughCash;
  fittedid(row) = row.id;
  playerinfo.money -= row.price;
  return Purchase::Bought;
}

const char* purchasemessage(Purchase outcome) {
  switch (outcome) {
    case Purchase::Bought: return "Bought!";
    case Purchase::AlreadyFitted: return "Already fitted";
    case Purchase::NoSuchItem: return "No such item";
    case Purchase::NotEnoughCash: break;
  }
  return "Not enough cash";
}

bool uimainmenu() {
  char startlevel[StartLevelBufferSize];
  snprintf(startlevel, sizeof startlevel, "%d", playerinfo.maxstartlevel);
  clear_keybuf();
  setcolours(dlgMainMenu);
  dlgMainMenu[MainTitle].dp = databitmap(DataTitle);
  dlgMainMenu[MainStartLevel].dp = startlevel;
  int res = rundialog(dlgMainMenu, MainPlay);
  // The choice counts whichever button closed the menu.
  playerinfo.level = parsestartlevel(startlevel, playerinfo.maxstartlevel);
  return res == MainPlay;
}

bool uistartlevel() {
  char title[80];
  snprintf(title, sizeof title, "Entering level %d", playerinfo.level);
  setcolours(dlgLevelStart);
  dlgLevelStart[StartTitle].dp = title;
  for (;;) {
    int res = rundialog(dlgLevelStart, StartPlay);
    if (res == StartShop) {
      uishop();
      continue;
    }
    // Esc plays the level, like "Play".
    return res != StartEndGame;
  }
}

void uishop() {
  char money[TextSize];
  char price[TextSize];
  int item = 0;
  setcolours(dlgShop);
  for (;;) {
    fillshoppage(item, money, price);
    int res = rundialog(dlgShop, ShopPlay);
    if (res == ShopPlay || res == -1) return;
    if (res == ShopBuy)
      uibuy(item);
    else
      item = turnpage(item, res);
  }
}

void uibuy(int item) {
  if (!validitem(item)) return;
  setcolours(dlgBuy);
  dlgBuy[BuyName].dp = txt(shipitems[item].name);
  dlgBuy[BuyOutcome].dp = txt(purchasemessage(buyitem(item)));
  rundialog(dlgBuy, BuyContinue);
}

void uilevelcomplete() {
  clear_keybuf();
  setcolours(dlgComplete);
  const LevelBonus bonus = finishedlevelbonus();
  char texts[4][TextSize];
  const int amounts[4] = {bonus.completion, bonus.oxygen, bonus.hydrogen, bonus.ammo};
  const int entries[4] = {CompleteLevel, CompleteOxygen, CompleteHydrogen, CompleteAmmo};
  for (int i = 0; i < 4; i++) {
    snprintf(texts[i], TextSize, "$ %d", amounts[i]);
    dlgComplete[entries[i]].dp = texts[i];
  }
  dlgComplete[CompleteWon].dp = txt(playerinfo.level == NumLevels ? WinningLine : "");
  paylevelbonus(bonus);
  rundialog(dlgComplete, CompleteContinue);
}
