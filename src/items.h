#pragma once

enum ShipItemType { EndOfItems = 0, ItemEngine = 1, ItemWeapon = 2, ItemShip = 3 };

// Engine ids, as stored in playerinfo.engine. Each engine has every
// benefit of the ones below it.
enum EngineId { EngineMk1 = 1, EngineMk2 = 2, EngineMk3 = 3, EngineMk4 = 4 };

// Gun ids, as stored in playerinfo.weapon. Each gun stands alone.
enum GunId { PlainAcidGun = 1, EfficientAcidGun = 2, SprayAcidGun = 3 };

// One row of the shop's catalogue.
struct ShipItem {
  ShipItemType type;
  int id;  // the value stored in playerinfo.engine or playerinfo.weapon
  const char* name;
  const char* description;
  int price;  // dollars
};

// The catalogue: engines, then guns, ended by a row of type EndOfItems.
extern const ShipItem shipitems[];

// What an engine does to the ship, as factors of the Mk1's figures.
struct EngineProperties {
  double burnfactor;   // hydrogen and oxygen per second of burn; double, as the ship scales in double
  float thrustfactor;  // rocket force
  float turnfactor;    // turning speed
};

// What a gun does.
struct GunProperties {
  float acidfactor;  // acid per trigger pull, as a factor of the plain gun's
  int jets;          // drops per trigger pull: one straight ahead, the rest in pairs either side
};

// The properties of engine `id`. An id below the Mk1 counts as the Mk1 and
// one above the Mk4 as the Mk4, so a higher number never loses a benefit.
EngineProperties engineproperties(int id);

// The properties of gun `id`; an id that is no gun fires as the plain gun.
GunProperties gunproperties(int id);

// Acid one trigger pull of the plain gun takes from the store (1.0 full).
constexpr float PlainAcidPerPull = 0.05f;
// Acid one trigger pull of gun `id` takes from the store.
float acidperpull(int id);
