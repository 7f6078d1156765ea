#pragma once

#include <cstddef>

#include "classes.h"
#include "shot.h"

// Every tuning figure of the pilot, one a line: how it plans, flies, fights
// and budgets its stores. The game's own rules (gravity, the ship's push,
// the gun, the wibblets' range, toughness and drops) come from the game's
// headers, never from here. Units: pixels, seconds, px/s, px/s^2, radians;
// stores and tanks 1.0 full. Most were found by flying the shipped levels.

namespace pilot {

// Planning grid and routes (pilotplan).
constexpr int Cell = 4;                            // pixels a side of a planning cell; its point is its centre
constexpr float Spacing = 4.0f;                    // pixels between two route points
constexpr float MinClearance = ShipRadius + 2.0f;  // least room to rock a route keeps: the ship's radius and a little
constexpr float ComfortableClearance = 70.0f;      // room beyond which a passage costs no extra: about three ship widths
constexpr float CrampedWeight = 8.0f;              // extra cost factor of a cell at MinClearance, falling off squared to none
constexpr float KeepoutWeight = 3.0f;              // extra cost factor at a keep-out's centre, falling off to none at its edge
constexpr float StartReach = 48.0f;                // cells this near the start may be crossed with less room, to climb out
constexpr float StartClearance = ShipRadius - 1.0f;  // the least room there, for a ship sitting on its base
constexpr int SmoothPasses = 3;                    // moving-average passes that round off the grid's zigzags
constexpr int SmoothHalfWidth = 6;                 // route points either side of each average
constexpr float SmoothedRoom = MinClearance + 8.0f;  // a smoothed point gives up room only down to this
constexpr int BendSpan = 4;                        // route points either side over which a bend is measured
constexpr float RouteTopSpeed = 300.0f;            // fastest route speed, in open cave
constexpr float RouteSqueeze = 10.0f;              // route speed per pixel of room beyond SmoothedRoom
constexpr float RouteSlowest = 30.0f;              // route speed in the tightest passage
constexpr float RouteBraking = 60.0f;              // deceleration route speeds allow for, level
constexpr float RouteDownhill = 25.0f;             // less of it going straight down
constexpr float RouteUphill = 32.0f;               // going straight up: gravity alone, a little short
constexpr float RouteSpeedup = 55.0f;              // acceleration route speeds allow for
constexpr float RouteSideways = 70.0f;             // acceleration route speeds allow for in bends

// Steering with the keys (pilotcontrol).
constexpr float MaxTilt = 1.2f;                 // the nose never tilts further than this from upright while steering
constexpr float NoThrust = 8.0f;                // below this wanted push the nose just stands upright
constexpr float AlignedEnough = 0.7f;           // the rocket fires only with the nose this close to where it should be
constexpr float PositionGain = 1.2f;            // wanted speed per pixel off a held point
constexpr float CrossGain = 1.5f;               // wanted speed per pixel off a route, sideways
constexpr float MaxCorrection = 60.0f;          // cap on that sideways speed
constexpr float SpeedGain = 2.2f;               // wanted acceleration per px/s off the wanted speed
constexpr float MaxAcceleration = 70.0f;        // cap on that acceleration
constexpr float GuardRoom = 14.0f;              // room past the ship's radius below which closing on rock is held down
constexpr float GuardSpeed = 15.0f;             // closing speed allowed with no room left
constexpr float GuardSpeedPerPixel = 4.0f;      // more of it per pixel of room
constexpr float GuardGain = 4.0f;               // push away per px/s closing too fast
constexpr float HoldDistance = 40.0f;           // the end of a route is held as a point once this close
constexpr float HoldSpeed = 20.0f;              // and approached no slower than this
constexpr float ArrivedDistance = 12.0f;        // at a route's end when this close
constexpr float ArrivedSpeed = 15.0f;           // and this slow
constexpr float TurnBraking = 50.0f;            // deceleration counted on once the nose has come round to brake
constexpr std::size_t BrakingLookahead = 120;   // route points ahead whose speeds braking heeds
constexpr float LeastSpeed = 15.0f;             // least speed flown short of a route's end
constexpr std::size_t TangentSpan = 3;          // route points ahead that give the route's direction
constexpr std::size_t SearchBehind = 10;        // route points searched behind the nearest for the new nearest
constexpr std::size_t SearchAhead = 80;         // and ahead of it

// Dodging drops (pilotdodge).
constexpr float DodgeStep = 0.02f;            // seconds between two looks along a course
constexpr float DodgeHorizon = 2.0f;          // seconds of a course looked at
constexpr float EarliestHit = 0.15f;          // a drop this young is the ship's own, leaving the nose: not counted
constexpr float SafeRoom = 8.0f;              // room from drops below which the course is changed
constexpr float RoomThatCounts = 30.0f;       // room from drops beyond which courses are equally safe
constexpr float RockPenalty = 50.0f;          // a course into rock scores worse than most hits
constexpr float RockWeight = 0.5f;            // score per pixel of room from rock
constexpr float RockThatCounts = 15.0f;       // up to this much room
inline constexpr float DodgeAngles[] = {0.0f, -0.5f, 0.5f, -1.0f, 1.0f, -1.5f, 1.5f};  // noses tried with the rocket on, upright first

// Seats on level floors (pilotground).
constexpr int LevelHalfWidth = 14;      // floor that must be level either side of where the ship touches (it touches 11)
constexpr float ProbeSpare = 4.0f;      // a tank must be this well inside the ship's reach from a seat
constexpr float NearestBy = 4.0f;       // and nearer the probe than anything else by this much
constexpr int BesideNearest = 34;       // seats beside a tank: from just clear of its body
constexpr int BesideFurthest = 56;      // outward to this
constexpr int BesideStep = 2;           // in steps of this
constexpr int TankFloorSearch = 40;     // pixels above and below a tank's foot searched for the floor
constexpr int SeatSpacing = 4;          // pixels between two seats found along a floor

// Wibblets and their drops (pilotwibblets).
constexpr float WibbletThinks = 1.0f;   // a wibblet sets off for home once a second (after two, one time in eleven)
constexpr float DropStep = 0.02f;       // seconds between two looks along a drop's arc
constexpr int DangerCell = 8;           // pixels a side of a danger zone's cell
constexpr float DangerShipRoom = 4.0f;  // no danger kept for cells this near rock (a seat's may lie a little nearer)
constexpr float DropReach = ShipRadius + ShotRadius + 4.0f;  // a drop passing the ship's centre closer may hit it
inline constexpr Point SwingOffsets[] = {{0, 0}, {-35, 0}, {35, 0}, {0, -20}, {0, 20}};  // where a wibblet swings about home, mostly sideways

// Where to fight from, and aiming (pilotstation).
constexpr float PathStep = 0.04f;               // seconds between two looks along a drop's path to a target
constexpr float PathRoom = ShotRadius + 1.0f;   // room from rock a drop's path keeps
constexpr float NearTarget = 20.0f;             // a drop this near the target reaches it
constexpr float NearestStation = 130.0f;        // no station nearer a wibblet's home than this (its swing reaches about 60)
constexpr float FarthestStation = 520.0f;       // nor further than this
constexpr float LongestFlight = 2.4f;           // seconds of the longest drop from a station
constexpr int Lattice = 16;                     // pixels between two hover stations tried
constexpr float HoverRoom = 48.0f;              // room round a hover station to aim in
constexpr float SinkRoom = 60.0f;               // pixels below a hover station the ship sinks while it aims
constexpr float SteepestHoverAim = 2.0f;        // the furthest from upright the nose aims while hovering
constexpr float PixelsPerFlightSecond = 300.0f; // station cost: route pixels a second of a drop's flight is worth
constexpr float HoverPixels = 150.0f;           // route pixels a hover station costs beyond a seat
constexpr float HoverPixelsPerHit = 170.0f;     // and for each hit it must hover through
constexpr float UnsafePixels = 2000.0f;         // route pixels a station within reach of a wibblet's drops costs
constexpr float EasyTilt = 0.8f;                // hovering, a nose this far from upright still holds the ship up
constexpr float TiltPixels = 400.0f;            // route pixels a radian of tilt beyond that costs
inline constexpr Point SwingPoints[] = {{0, -30}, {0, 30}, {-30, 0}, {30, 0}};  // a station must hit the wibblet at each of these about home
constexpr float SteepestDrop = 0.3f;            // drops no nearer straight up than this: a miss would fall back on the ship
constexpr int AimRounds = 4;                    // rounds of flight time and aim at a moving target
constexpr float LowestApproach = 6.0f;          // a seat is reached from straight above, from this high
constexpr float HighestApproach = 40.0f;        // up to this high

// A whole level (pilotflight): the stores. A trip costs a fixed share and a share per pixel.
constexpr float FuelPerPixel = 0.00033f;   // of a store per pixel of route, measured on the shipped levels with some to spare
constexpr float FuelPerTrip = 0.05f;       // of a store for each start and stop: the climb out, the braking, the settling
constexpr float WorthwhileGain = 0.15f;    // a tank is worth a visit when it adds this much to a store
constexpr float OnTheWay = 200.0f;         // pixels of detour a tank may cost without being needed
constexpr float LowStore = 0.45f;          // with fights ahead, a store below this is filled first
constexpr float ShortestSlack = 0.05f;     // a store within this of the lower counts as the shortest
constexpr float Shortest = 0.02f;          // score bonus of a tank of the shortest store, when one is wanted
constexpr float UnderFire = 0.3f;          // score cost of a tank under a wibblet given up on
constexpr float FightFirst = 0.1f;         // score cost of a tank under a wibblet still to be fought
constexpr float AcidTripReserve = 0.35f;   // gas a trip for acid must leave
constexpr float DetourFactor = 1.4f;       // routes against the straight line, roughly
constexpr float HoverCost = 0.06f;         // score cost of hovering to draw rather than sitting
constexpr float NearerIsBetter = 0.0005f;  // score per pixel, between tanks otherwise alike
constexpr float ExitReserve = 0.3f;        // the stores must reach the exit with this left (the margin and some)
constexpr float FightAllowance = 0.15f;    // and this more for each fight on the way
constexpr float LeastCapacity = 0.15f;     // a tank with less left is not visited
constexpr float TankGroup = 250.0f;        // pixels between tanks that stand together
constexpr float LowAcid = 0.15f;           // the other acid is taken over a store of less than this
constexpr float LowForHydrofluoric = 0.7f; // hydrofluoric is taken over hydrochloric below this
constexpr float LandingFuel = 0.04f;       // of a store a landing costs
constexpr float HoverFuel = 0.0167f;       // of a store a second of hovering costs
constexpr float HoverSecondsPerDrop = 1.8f;  // gun intervals of hovering for each drop fired from the air
constexpr float FightReserve = 0.1f;       // a fight must leave this in the stores when a tank is wanted
constexpr float ExpectedAccuracy = 0.6f;   // share of the drops fired that hit
constexpr float AcidDetour = 400.0f;       // pixels to an acid tank worth a visit for more acid

// A whole level: moving about, docking and drawing.
constexpr float StepReach = 100.0f;        // from seat to seat on the same floor within this, straight across
constexpr float StepHeight = 6.0f;         // this low over the floor
constexpr float StepSpeed = 10.0f;         // the last stretch to a seat: this slow
constexpr float StepSpeedPerPixel = 0.5f;  // and this much faster per pixel away
constexpr float DockHeight = 75.0f;        // hovering to draw, the ship's centre this high over a tank's foot
constexpr float DockLowest = ShipRadius + 8.0f;  // at least this high over the tank's top
constexpr float DockHighest = 110.0f;      // at most this high over its foot
constexpr float DockStep = 2.0f;           // heights tried in steps of this
constexpr float DockReach = 30.0f;         // SPACE is held this close to the hover point
constexpr float DockSpeed = 60.0f;         // and this slow
constexpr float FullStore = 0.995f;        // a store this full is full
constexpr float DrawingStalled = 2.0f;     // seconds without a gain before a tank is left
constexpr float LandingSpeed = 30.0f;      // over a seat the ship comes down no faster
constexpr float OverSeat = 6.0f;           // pixels to the side of a seat that count as over it
constexpr float SeatedDistance = 10.0f;    // seated for a fight this near the seat
constexpr float DrawingSeat = 4.0f;        // seated for drawing this near
constexpr float SeatedSpeed = 12.0f;       // and this slow
constexpr float ApproachSpeed = 40.0f;     // fastest over to a seat from a route's end
constexpr float SteadyOffset = 3.0f;       // comes down only this close over the seat
constexpr float SteadySpeed = 2.5f;        // and this slow sideways
constexpr float Sliding = 1.0f;            // seated, a sideways speed above this is stopped with the rocket
constexpr float PushingSideways = 0.5f;    // with the nose turned at least this far to the side (sine)
constexpr float PushingDown = 0.3f;        // and at least this far down (cosine below)
constexpr float SlideStopAngle = 1.7f;     // the nose angle turned to for it
constexpr int MostHandovers = 4;           // modes asked in one frame at most

// A whole level: wibblets.
constexpr float WibbletBerth = 40.0f;      // routes keep this far from a wibblet's home beyond the two radii
constexpr float WibbletWide = 200.0f;      // and pay more within this
constexpr float DangerWeight = 6.0f;       // extra cost factor of a cell a wibblet's drops reach
constexpr float GuardStretch = 40.0f;      // a wibblet whose drops reach this many pixels of the way is fought first
constexpr float GuardNear = 150.0f;        // as is one the way passes this close to
constexpr float HoverWorthExposure = 200.0f;  // a fight from the air is worth it when the drops reach this much of the way
constexpr int MostGuardRounds = 4;         // wibblets weighed on the way to one job
constexpr float GunSpare = 0.01f;          // the pilot fires a frame after the gun's delay
constexpr float AimTolerance = 0.012f;     // fires with the nose this close to the aim
constexpr float LongestDrop = 2.6f;        // seconds of the longest drop fired in a fight
constexpr float FightTimeout = 60.0f;      // seconds at a station without a kill before a fight is given up
constexpr float NoAimTimeout = 5.0f;       // or without an aim
constexpr int MostDropsPerHit = 4;         // or drops fired per hit needed
constexpr float HoverSteadySpeed = 25.0f;  // hovering, aims only this slow
constexpr float HoverSteadyDistance = 30.0f;  // and this near the station
constexpr float AimWindow = 1.8f;          // seconds of turning to aim before coming back
constexpr float FallAllowance = 60.0f;     // pixels below the station the ship may sink meanwhile
constexpr float DodgeSettle = 0.3f;        // seconds safe after a dodge before carrying on

// A whole level: replanning and the report.
constexpr float Strayed = 80.0f;           // a leg is planned again when the ship strays this far
constexpr float StallTime = 15.0f;         // or in this many seconds
constexpr float StallProgress = 40.0f;     // makes less progress than this
constexpr float ReplanEvery = 0.5f;        // at most this often
constexpr float RethinkEvery = 2.0f;       // on the way to the exit, the stores weighed again this often
constexpr float TrailInterval = 0.2f;      // seconds between two points of the reported trail
constexpr float ShieldLossSeen = 0.01f;    // shield lost in a frame that counts as a hit
constexpr float DryTime = 5.0f;            // seconds with a store run dry before the flight is given up

}  // namespace pilot
