#pragma once

#include <functional>
#include <vector>

#include "pilotcontrol.h"

// Where to fight a wibblet from: a place from which a drop reaches it
// quickly over clear air, where no wibblet's drops reach the ship, best
// sitting on a seat (no fuel spent while fighting), close along the way.

namespace pilot {

class Clearance;
class DangerZone;
class Spread;

// The quickest clear drop from a ship resting at `from` to `target`: the
// nose angle and the seconds it takes; false when no drop gets there over
// clear air within `longest` seconds. Drops steeper than `steepest` from
// straight up are never used: a miss would fall back on the ship. Of two
// drops the quicker, or with `nearto` the one nearer that nose angle.
bool lob(Point from, Point target, const Clearance& cave, float longest, float& angle, float& flight,
         float steepest = SteepestDrop, const float* nearto = nullptr);

// The nose angle that sends a drop from the ship, moving or not, to where
// the target will be when the drop gets there: `where(t)` is the target's
// position t seconds from now. False when no clear drop gets there within
// `longest` seconds.
bool aimdrop(const ShipState& ship, const std::function<Point(float)>& where, const Clearance& cave, float longest, float& angle,
             float& flight);

struct Station {
  Point at{0, 0};        // the ship's centre there
  Point approach{0, 0};  // where the route ends: above a seat, or the station itself
  bool seat = false;
  float flight = 0;      // seconds a drop takes to the wibblet
  bool safe = false;     // out of reach of every wibblet's drops
};

// What the choice weighs besides the route's cost: how many hits the
// wibblet needs (hovering through them costs fuel).
struct StationNeeds {
  int hits = 3;
};

// The best station against a wibblet whose home is `target`, among the
// seats and the open cave around it, reached from where `from` spread;
// dangers are the zones of every living wibblet. False when no place can
// hit it.
bool choosestation(const Clearance& cave, const Spread& from, const std::vector<Point>& seats, Point target,
                   const std::vector<const DangerZone*>& dangers, const StationNeeds& needs, Station& best);

// Where a route to a seat ends: straight above it, with room to come down.
Point approachto(Point seat, const Clearance& cave);

}  // namespace pilot
