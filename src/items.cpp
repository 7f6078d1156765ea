#include "items.h"

// The shop sells these in this order. A single '&' in a name would mark a
// keyboard shortcut in the dialogs, so "&&" shows as one ampersand.
const ShipItem shipitems[] = {
    // Engines: each id includes the benefits of the ones below it.
    {ItemEngine, EngineMk1, "Mk1 Engine", "Your basic rocket engine. Runs on hydrogen and oxygen.", 0},
    {ItemEngine, EngineMk2, "Mk2 Engine",
     "Martian planetary engines Ltd - High efficiency engine. This fantastic engine uses only "
     "2/3 as much fuel as the standard engine.",
     100},
    {ItemEngine, EngineMk3, "Mk3 Engine",
     "Not only is the Mk3 engine efficient, but it has 50% more power than the standard", 300},
    {ItemEngine, EngineMk4, "Mk4 Engine && thrusters",
     "The Mk4 engine kit comes complete with a thruster upgrade that effectively doubles the "
     "ship's turn rate!",
     600},
    // Guns: each id stands alone.
    {ItemWeapon, PlainAcidGun, "Acid gun",
     "The Associated Martian Maiming, Injury and Legal Advice Ltd. acid gun \nfires a variety of "
     "inorganic acids as a projectile drop. Use a stronger acid for more effect",
     0},
    {ItemWeapon, EfficientAcidGun, "High efficiency acid gun",
     "Is there never enough corrosive substance to melt your enemies? \nNever fear, the AMM High "
     "efficiency gun only needs half as much!",
     100},
    {ItemWeapon, SprayAcidGun, "Spray acid gun",
     "Enemies all around? Useless aim? You need the AMM spray gun. Three jets for the price of "
     "one!",
     250},
    {EndOfItems, 0, nullptr, nullptr, 0},
};

namespace {

// Indexed by EngineId - EngineMk1.
const EngineProperties engines[] = {
    {1.0, 1.0f, 1.0f},        // EngineMk1: the standard engine
    {2.0 / 3.0, 1.0f, 1.0f},  // EngineMk2: two thirds of the fuel
    {2.0 / 3.0, 1.5f, 1.0f},  // EngineMk3: and half as much thrust again
    {2.0 / 3.0, 1.5f, 2.0f},  // EngineMk4: and thrusters that turn twice as fast
};
static_assert(sizeof(engines) / sizeof(engines[0]) == EngineMk4 - EngineMk1 + 1, "a row for every engine");

// Indexed by GunId - PlainAcidGun.
const GunProperties guns[] = {
    {1.0f, 1},  // PlainAcidGun
    {0.5f, 1},  // EfficientAcidGun: half the acid a pull
    {1.0f, 3},  // SprayAcidGun: three drops for the acid of one
};
static_assert(sizeof(guns) / sizeof(guns[0]) == SprayAcidGun - PlainAcidGun + 1, "a row for every gun");

}  // namespace

EngineProperties engineproperties(int id) {
  if (id < EngineMk1) id = EngineMk1;
  if (id > EngineMk4) id = EngineMk4;
  return engines[id - EngineMk1];
}

GunProperties gunproperties(int id) {
  if (id < PlainAcidGun || id > SprayAcidGun) id = PlainAcidGun;
  return guns[id - PlainAcidGun];
}

float acidperpull(int id) { return PlainAcidPerPull * gunproperties(id).acidfactor; }
