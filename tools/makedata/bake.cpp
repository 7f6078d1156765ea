#include "makedata/bake.h"

#include "data.h"
#include "makedata/scenery.h"
#include "makedata/sounds.h"
#include "makedata/sprites.h"
#include "makedata/typeface.h"

namespace {

// The dialog font's size in pixels (its cells come out 16 pixels high).
const int DialogFontSize = 13;

DataObject picture(const char* name, Picture p) { return bitmapobject(name, p.get(), false); }

DataObject alphapicture(const char* name, Picture p) { return bitmapobject(name, p.get(), true); }

DataObject unused(const char* name) { return dataobject(name, "unused"); }

// What goes where in data.dat: the single table of the file's contents.
struct Entry {
  DataEntry position;
  const char* name;
  DataObject (*make)(const char* name);
};

const Entry entries[] = {
    {DataShotSound, "SHOT_SOUND", [](const char* n) { return soundobject(n, shotsound()); }},
    {DataTitle, "TITLE", [](const char* n) { return picture(n, maketitle()); }},
    {DataBaseStart, "BASE_START", [](const char* n) { return picture(n, makestartbase()); }},
    {DataBaseExit, "BASE_EXIT", [](const char* n) { return picture(n, makeexitbase()); }},
    {DataDirt3, "DIRT3", [](const char* n) { return alphapicture(n, makedirt(403, Colour{85, 48, 38})); }},
    {DataDirt2, "DIRT2", [](const char* n) { return alphapicture(n, makedirt(402, Colour{165, 110, 60})); }},
    {DataDirt1, "DIRT1", [](const char* n) { return alphapicture(n, makedirt(401, Colour{50, 25, 15})); }},
    {DataExplosion, "EXPLOSION", [](const char* n) { return picture(n, makeexplosion(32, 501, 5)); }},
    {DataShipExplodeSound, "SHIP_EXPLODE_SOUND", [](const char* n) { return soundobject(n, shipexplodesound()); }},
    {DataFont, "DIALOG_FONT", [](const char* n) { return monofontobject(n, 32, dialogglyphs(DialogFontSize)); }},
    {DataPanel, "PANEL", [](const char* n) { return picture(n, makepanel()); }},
    {DataUnused11, "UNUSED11", unused},
    {DataBlueWibblet, "BLUE_WIBBLET", [](const char* n) { return picture(n, makebluewibblet()); }},
    {DataUnused13, "UNUSED13", unused},
    {DataUnused14, "UNUSED14", unused},
    {DataGreenWibblet, "GREEN_WIBBLET", [](const char* n) { return picture(n, makegreenwibblet()); }},
    {DataOrangeWibblet, "ORANGE_WIBBLET", [](const char* n) { return picture(n, makeorangewibblet()); }},
    {DataYellowWibblet, "YELLOW_WIBBLET", [](const char* n) { return picture(n, makeyellowwibblet()); }},
    {DataUnused18, "UNUSED18", unused},
    {DataRock, "ROCK", [](const char* n) { return picture(n, makerock()); }},
    {DataShipHitSound, "SHIP_HIT_SOUND", [](const char* n) { return soundobject(n, shiphitsound()); }},
    {DataShip, "SHIP", [](const char* n) { return picture(n, makeship()); }},
    {DataEnemyDeathSound, "ENEMY_DEATH_SOUND", [](const char* n) { return soundobject(n, enemydeathsound()); }},
    {DataEnemyExplosion, "ENEMY_EXPLOSION", [](const char* n) { return picture(n, makeexplosion(40, 502, 7)); }},
    {DataEmptyTank, "TANK_EMPTY", [](const char* n) { return picture(n, makeemptytank()); }},
    {DataTankHCl, "TANK_HCL", [](const char* n) { return picture(n, maketank(Colour{192, 192, 0}, "HCl")); }},
    {DataTankHF, "TANK_HF", [](const char* n) { return picture(n, maketank(Colour{0, 192, 0}, "HF")); }},
    {DataTankHydrogen, "TANK_HYDROGEN", [](const char* n) { return picture(n, maketank(Colour{192, 0, 0}, "H2")); }},
    {DataTankOxygen, "TANK_OXYGEN", [](const char* n) { return picture(n, maketank(Colour{0, 0, 192}, "O2")); }},
};

static_assert(sizeof(entries) / sizeof(entries[0]) == DataCount, "one row per entry of data.h");

}  // namespace

std::vector<DataObject> bakeentries() {
  std::vector<DataObject> objects;
  for (int i = 0; i < DataCount; i++) {
    // The rows are in file order; a row out of place is a programming error.
    if (entries[i].position != i) throw "The baker's table is out of order";
    objects.push_back(entries[i].make(entries[i].name));
  }
  return objects;
}

bool bakedatafile(const char* path, std::string& why) {
  try {
    if (writedatafile(path, bakeentries())) return true;
    why = std::string("cannot write ") + path;
  } catch (const char* message) {
    why = message;
  }
  return false;
}
