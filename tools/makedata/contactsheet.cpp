#include "makedata/contactsheet.h"

#include "common.h"
#include "data.h"

namespace {

BITMAP* entry(DATAFILE* data, int i) { return static_cast<BITMAP*>(data[i].dat); }

void caption(BITMAP* sheet, FONT* f, const char* text, int x, int y) {
  textout_ex(sheet, f, text, x, y, makecol(255, 255, 255), -1);
}

// The cave's look: rock tiled the way the level renderer tiles it, with
// some dirt stamped over it.
void paintcave(BITMAP* sheet, DATAFILE* data, int x0, int y0, int w, int h) {
  set_clip_rect(sheet, x0, y0, x0 + w - 1, y0 + h - 1);
  for (int y = y0; y < y0 + h; y += 128)
    for (int x = x0; x < x0 + w; x += 128) blit(entry(data, DataRock), sheet, 0, 0, x, y, 256, 256);
  set_alpha_blender();
  const int spots[][3] = {{DataDirt1, 40, 30}, {DataDirt2, 300, 90}, {DataDirt3, 520, 20}, {DataDirt1, 650, 120}, {DataDirt3, 160, 150}};
  for (const auto& s : spots) draw_trans_sprite(sheet, entry(data, s[0]), x0 + s[1] - 64, y0 + s[2] - 64);
  set_clip_rect(sheet, 0, 0, sheet->w - 1, sheet->h - 1);
}

// One row of the sprites standing on a common line at y + 60.
void paintrow(BITMAP* sheet, DATAFILE* data, int y) {
  const int row[] = {DataShip, DataBlueWibblet, DataGreenWibblet, DataOrangeWibblet, DataYellowWibblet, DataExplosion,
                     DataEnemyExplosion, DataTankHydrogen, DataTankOxygen, DataTankHCl, DataTankHF, DataEmptyTank};
  int x = 20;
  for (int i : row) {
    BITMAP* b = entry(data, i);
    draw_sprite(sheet, b, x, y + 60 - b->h);
    x += b->w + 24;
  }
}

void paintsprites(BITMAP* sheet, DATAFILE* data, FONT* f, int y) {
  paintrow(sheet, data, y);
  BITMAP* ship = entry(data, DataShip);
  rotate_sprite(sheet, ship, 40, y + 90, itofix(32));
  rotate_sprite(sheet, ship, 100, y + 90, itofix(192));
  draw_sprite(sheet, entry(data, DataBaseStart), 200, y + 130 - entry(data, DataBaseStart)->h);
  draw_sprite(sheet, entry(data, DataBaseExit), 320, y + 130 - entry(data, DataBaseExit)->h);
  caption(sheet, f, "start base", 205, y + 134);
  caption(sheet, f, "exit base", 328, y + 134);
}

// The panel as the ship fills it: three bars and a full shield.
void paintpanel(BITMAP* sheet, DATAFILE* data, int x, int y) {
  BITMAP* panel = entry(data, DataPanel);
  stretch_blit(panel, sheet, 0, 0, panel->w, panel->h, x, y, panel->w * 2, panel->h * 2);
  BITMAP* live = create_bitmap(panel->w, panel->h);
  if (!live) return;
  blit(panel, live, 0, 0, 0, 0, panel->w, panel->h);
  const int bars[][4] = {{4, 192, 0, 0}, {12, 0, 0, 192}, {20, 192, 192, 0}};
  for (const auto& b : bars) {
    rectfill(live, 30, b[0], 30 + 22, b[0] + 6, makecol(b[1], b[2], b[3]));
    rectfill(live, 52, b[0], 60, b[0] + 6, 0);
  }
  drawing_mode(DRAW_MODE_TRANS, nullptr, 0, 0);
  set_trans_blender(0, 0, 0, 128);
  for (int i = 0; i < 10; i++) circle(live, 11, 38, i / 2 + 5, makecol(255, 255, 255));
  drawing_mode(DRAW_MODE_SOLID, nullptr, 0, 0);
  stretch_blit(live, sheet, 0, 0, panel->w, panel->h, x + panel->w * 2 + 16, y, panel->w * 2, panel->h * 2);
  destroy_bitmap(live);
}

void paintdialog(BITMAP* sheet, FONT* f, int x, int y) {
  rectfill(sheet, x, y, x + 330, y + 96, makecol(80, 60, 0));
  rect(sheet, x, y, x + 330, y + 96, makecol(255, 255, 255));
  const char* lines[] = {"Entering level 3", "Money: $ 240   Engine: Ion drive", "The wibblets may stop you!",
                         "0123456789 !?#$%&()*+,-./:;<=>@[]^_{|}~"};
  for (int i = 0; i < 4; i++) textout_ex(sheet, f, lines[i], x + 8, y + 8 + i * 21, makecol(255, 255, 255), -1);
}

}  // namespace

BITMAP* makecontactsheet(DATAFILE* data) {
  BITMAP* sheet = create_bitmap(800, 680);
  if (!sheet) return nullptr;
  clear_to_color(sheet, makecol(24, 20, 22));
  FONT* dialog = static_cast<FONT*>(data[DataFont].dat);
  blit(entry(data, DataTitle), sheet, 0, 0, 80, 0, ScreenWidth, 120);
  paintcave(sheet, data, 0, 130, 800, 200);
  paintsprites(sheet, data, dialog, 140);
  paintpanel(sheet, data, 20, 345);
  paintdialog(sheet, dialog, 300, 345);
  caption(sheet, font, "rock, tiled at 128", 20, 455);
  blit(entry(data, DataRock), sheet, 0, 0, 20, 468, 256, 128);
  for (int i = 0; i < 3; i++) {
    BITMAP* dirt = entry(data, DataDirt1 - i);
    rectfill(sheet, 300 + i * 136, 468, 300 + i * 136 + 127, 595, makecol(200, 200, 200));
    set_alpha_blender();
    draw_trans_sprite(sheet, dirt, 300 + i * 136, 468);
  }
  caption(sheet, font, "dirt 1, 2, 3 on grey", 300, 455);
  // The caverns are black: the sprites must read there too.
  rectfill(sheet, 0, 605, 799, 679, 0);
  paintrow(sheet, data, 605);
  return sheet;
}
