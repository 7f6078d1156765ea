#include "items.h"

// The shop sells these in this order. A single '&' in a name would mark a
// keyboard shortcut in the dialogs, so "&&" shows as one ampersand.
const ShipItem shipitems[] = {
    // Engines: each id includes the benefits of the ones below it.
    {ItemEngine, 1, "Mk1 Engine", "Your basic rocket engine. Runs on hydrogen and oxygen.", 0},
    {ItemEngine, 2, "Mk2 Engine",
     "Martian planetary engines Ltd - High efficiency engine. This fantastic engine uses only "
     "2/3 as much fuel as the standard engine.",
     100},
    {ItemEngine, 3, "Mk3 Engine",
     "Not only is the Mk3 engine efficient, but it has 50% more power than the standard", 300},
    {ItemEngine, 4, "Mk4 Engine && thrusters",
     "The Mk4 engine kit comes complete with a thruster upgrade that effectively doubles the "
     "ship's turn rate!",
     600},
    // Guns: each id stands alone.
    {ItemWeapon, 1, "Acid gun",
     "The Associated Martian Maiming, Injury and Legal Advice Ltd. acid gun \nfires a variety of "
     "inorganic acids as a projectile drop. Use a stronger acid for more effect",
     0},
    {ItemWeapon, 2, "High efficiency acid gun",
     "Is there never enough corrosive substance to melt your enemies? \nNever fear, the AMM High "
     "efficiency gun only needs half as much!",
     100},
    {ItemWeapon, 3, "Spray acid gun",
     "Enemies all around? Useless aim? You need the AMM spray gun. Three jets for the price of "
     "one!",
     250},
    {EndOfItems, 0, nullptr, nullptr, 0},
};
