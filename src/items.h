#pragma once

enum ShipItemType { EndOfItems = 0, ItemEngine = 1, ItemWeapon = 2, ItemShip = 3 };

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
