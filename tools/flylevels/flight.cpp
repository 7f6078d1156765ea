#include "flylevels/flight.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <ostream>

#include "checks.h"
#include "enemies.h"
#include "flylevels/control.h"
#include "flylevels/plan.h"
#include "flylevels/wibblets.h"
#include "manager.h"
#include "map.h"
#include "playerinfo.h"

namespace pilot {

namespace {

// Stores used per pixel of route, for choosing tanks; measured on the
// shipped levels with some to spare.
const float FuelPerPixel = 0.00025f;
// A tank is worth a visit when it adds this much to a store, net of the
// detour and the hovering there.
const float WorthwhileGain = 0.15f;
const float OnTheWay = 150.0f;  // pixels of detour
// What the stores must hold beyond the way to the exit: the margin a
// level must leave, and some hovering for each wibblet still alive.
const float ExitReserve = 0.35f;
const float FightAllowance = 0.1f;
const float DockingCost = 0.08f;
const float LeastCapacity = 0.15f;
// Docking hover: the ship's centre this far above the object's position
// puts the probe right on it; the nearest and furthest heights tried.
const float DockHeight = 75.0f;
const float DockLowest = 23.0f + 8.0f;
const float DockHighest = 110.0f;
const float DockReach = 30.0f;    // SPACE is held this close to the docking point
const float DockSpeed = 60.0f;    // and this slow
const float FullStore = 0.995f;
const float DrawingStalled = 2.0f;  // seconds without a gain before a tank is left
// Wibblets: routes keep this far from their homes beyond the two radii,
// and they are engaged from this far.
const float WibbletBerth = 20.0f;
const float WibbletWide = 200.0f;
const float EngageRange = 260.0f;
// A wibblet is aimed at where it will be: a first guess at the flight
// time, then this many rounds of aiming at where it is when the drop arrives.
const float FirstGuess = 1.5f;
const int AimRounds = 3;
const float ScanInterval = 0.25f;
const float ShotInterval = 1.05f;     // the gun fires once a second
const float AimTolerance = 0.012f;    // radians
const float EngageTimeout = 45.0f;
const float NoAimTimeout = 3.0f;
const float SkipDistance = 400.0f;    // pixels flown before a wibblet given up on is tried again
const float SettledSpeed = 20.0f;
const float SettledDistance = 40.0f;
const float SettledFall = 15.0f;
// Fighting from the ground: floor this far below at most, level over this
// many pixels either side, shots that arrive this soon, a gentle descent.
const float GroundSearch = 250.0f;
const int FlatHalfWidth = 10;
const float GroundFlight = 2.6f;
const float LandingSpeed = 30.0f;
const float GroundReach = 160.0f;
const float FallLook = 0.6f;  // seconds
const float HighestAbove = 100.0f;
const float ReachSpare = 40.0f;
const float GroundStep = 20.0f;
// A leg is planned again when the ship strays this far or stalls this long.
const float Strayed = 80.0f;
const float StallTime = 15.0f;
const float StallProgress = 40.0f;
const float TrailInterval = 0.2f;

float distance(Point a, Point b) { return std::hypot(a.x - b.x, a.y - b.y); }

const char* storename(StaticType type) {
  switch (type) {
    case TankHydrogen: return "hydrogen";
    case TankOxygen: return "oxygen";
    case TankHCl: return "hydrochloric";
    case TankHF: return "hydrofluoric";
    default: return "exit";
  }
}

struct Goal {
  StaticObject* object = nullptr;  // the tank or the exit base
  Point dock{0, 0};
};

class Flight {
 public:
  Flight(const FlightSettings& s, std::ostream* l) : settings(s), log(l) {}
  FlightReport run();

 private:
  enum Mode { Travel, Dock, Engage };
  const FlightSettings& settings;
  std::ostream* log;
  FlightReport report;
  Ship* ship = nullptr;
  Clearance cave;
  Attitude attitude;
  std::unique_ptr<Follower> follower;
  std::unique_ptr<Spread> fromexit;
  std::vector<StaticObject*> tanks;
  std::vector<Watched> alive;
  std::map<Enemy*, float> skipuntil;  // pixels flown
  Goal exitgoal, goal;
  Mode mode = Travel;
  float time = 0, travelled = 0, nexttrail = 0, nextscan = 0;
  // Docking.
  float dockstart = 0, lastgain = 0, storeatdock = 0;
  bool drew = false;
  // The current leg's progress check.
  float stallcheck = 0, stalldone = 0;
  // Engaging a wibblet.
  Enemy* target = nullptr;
  Point station{0, 0};
  bool aiming = false;
  bool landed = false;  // fighting from the ground, where it costs no fuel
  float engagestart = 0, lastshot = -10, lastaim = 0;

  void log_(const std::string& what) {
    if (log) *log << "  " << int(time * 10) / 10.0f << " s: " << what << "\n";
  }
  ShipState state() const { return {ship->position, ship->velocity, ship->angle}; }
  bool findobjects();
  bool dockpoint(const StaticObject* object, Point& dock) const;
  std::vector<Keepout> keepouts(bool strict) const;
  bool planleg();
  bool choosetank(const Spread& here, float toexit, Goal& best) const;
  float storefor(StaticType type) const;
  float gainfrom(const StaticObject* tank) const;
  Keys travel(const ShipState& s);
  Keys dock(const ShipState& s);
  Keys engage(const ShipState& s);
  Enemy* worthengaging(const ShipState& s);
  void startengaging(Enemy* enemy, const ShipState& s);
  void giveup();
  bool leadaim(const ShipState& s, Aim& aim) const;
  bool groundbelow(Point from, Point& spot) const;
  bool groundnear(Point from, Point enemy, Point& spot) const;
  bool clearline(Point a, Point b) const;
  const Watched* watching(const Enemy* e) const;
  void afterframe(const ShipState& before, float shieldbefore);
  void finish();
};

bool Flight::findobjects() {
  for (std::vector<GameObject*>* list : {&newobjects, &gameobjects})
    for (GameObject* obj : *list) {
      if (Ship* s = dynamic_cast<Ship*>(obj)) ship = ship ? ship : s;
      if (StaticObject* t = dynamic_cast<StaticObject*>(obj)) {
        if (t->type == PlayerBaseExit && !exitgoal.object) exitgoal.object = t;
        if (t->type >= TankHydrogen && t->type <= TankHF) tanks.push_back(t);
      }
      if (Enemy* e = dynamic_cast<Enemy*>(obj)) {
        alive.push_back(Watched{e});
        report.wibblets[e->type]++;
      }
    }
  if (!ship) report.why = "no ship";
  if (ship && !exitgoal.object) report.why = "no exit base";
  if (exitgoal.object && !dockpoint(exitgoal.object, exitgoal.dock)) report.why = "no room to hover over the exit base";
  return report.why.empty();
}

// Where the ship hovers to draw from an object: straight above it, as near
// DockHeight as there is room for.
bool Flight::dockpoint(const StaticObject* object, Point& dock) const {
  const float lowest = DockLowest + object->height;
  for (float off = 0; off <= DockHighest - lowest; off += 2.0f)
    for (float height : {DockHeight - off, DockHeight + off}) {
      if (height < lowest || height > DockHighest) continue;
      Point p{object->position.x, object->position.y - height};
      if (cave.at(p.x, p.y) >= MinClearance + 2.0f) {
        dock = p;
        return true;
      }
    }
  return false;
}

std::vector<Keepout> Flight::keepouts(bool strict) const {
  std::vector<Keepout> out;
  for (const Watched& w : alive) {
    Point home = w.started ? w.home : w.enemy->position;
    out.push_back({home, strict ? w.enemy->radius + ShipRadius + WibbletBerth : 0.0f, WibbletWide});
  }
  return out;
}

float Flight::storefor(StaticType type) const {
  if (type == TankHydrogen) return ship->hydrogen;
  if (type == TankOxygen) return ship->oxygen;
  return ship->ammo;
}

// What a visit would add to the store the tank fills, acid only while
// wibblets are left. Hydrofluoric pours away hydrochloric acid, so it is
// taken over a store still half full only when it does three times the damage.
float Flight::gainfrom(const StaticObject* tank) const {
  float gain = 0;
  switch (tank->type) {
    case TankHydrogen: gain = 1.0f - ship->hydrogen; break;
    case TankOxygen: gain = 1.0f - ship->oxygen; break;
    case TankHCl: gain = ship->ammotype == Hydrochloric ? 1.0f - ship->ammo : (ship->ammo < 0.15f ? 1.0f : 0.0f); break;
    case TankHF: gain = ship->ammotype == Hydrofluoric ? 1.0f - ship->ammo : (ship->ammo < 0.7f ? 1.0f : 0.0f); break;
    default: break;
  }
  if ((tank->type == TankHCl || tank->type == TankHF) && alive.empty()) gain = 0;
  return std::min(gain, tank->capacity);
}

// A tank on the way is taken whenever it adds enough to a store; a detour
// is made only when the stores would not reach the exit with the margin.
bool Flight::choosetank(const Spread& here, float toexit, Goal& best) const {
  const float need = FuelPerPixel * toexit + FightAllowance * float(alive.size()) + ExitReserve;
  const bool short_ = std::min(ship->hydrogen, ship->oxygen) < need;
  float nearest = 1e30f, bestvalue = 0;
  Goal onway, detoured;
  for (StaticObject* tank : tanks) {
    if (tank->capacity < LeastCapacity) continue;
    Point dock;
    if (!dockpoint(tank, dock) || !here.reaches(dock)) continue;
    float gain = gainfrom(tank);
    if (gain < WorthwhileGain) continue;
    float there = here.lengthto(dock);
    float detour = there + fromexit->lengthto(dock) - toexit;
    float value = gain - FuelPerPixel * detour - DockingCost;
    bool gas = tank->type == TankHydrogen || tank->type == TankOxygen;
    if (detour < OnTheWay && there < nearest) nearest = there, onway = {tank, dock};
    if (gas && value > bestvalue) bestvalue = value, detoured = {tank, dock};
  }
  best = onway.object ? onway : detoured;
  return onway.object || (short_ && detoured.object);
}

bool Flight::planleg() {
  ShipState s = state();
  std::unique_ptr<Spread> here = std::make_unique<Spread>(cave, s.at, keepouts(true));
  if (!here->reaches(exitgoal.dock)) here = std::make_unique<Spread>(cave, s.at, keepouts(false));
  if (!fromexit) fromexit = std::make_unique<Spread>(cave, exitgoal.dock, keepouts(false));
  if (!here->reaches(exitgoal.dock)) {
    report.why = "no way to the exit from (" + std::to_string(int(s.at.x)) + ", " + std::to_string(int(s.at.y)) + ")";
    return false;
  }
  goal = exitgoal;
  Goal tank;
  if (choosetank(*here, here->lengthto(exitgoal.dock), tank)) goal = tank;
  follower = std::make_unique<Follower>(makeroute(cave, here->pathto(goal.dock), std::hypot(s.speed.x, s.speed.y)));
  mode = Travel;
  stallcheck = time;
  stalldone = 0;
  log_(std::string("heading for the ") + (goal.object->type == PlayerBaseExit ? "exit" : std::string(storename(goal.object->type)) + " tank") +
       " at (" + std::to_string(int(goal.object->position.x)) + ", " + std::to_string(int(goal.object->position.y)) +
       "), " + std::to_string(int(routelength(follower->path()))) + " px");
  return true;
}

Keys Flight::travel(const ShipState& s) {
  if (time >= nextscan) {
    nextscan = time + ScanInterval;
    if (Enemy* e = worthengaging(s)) {
      startengaging(e, s);
      return engage(s);
    }
  }
  if (follower->offroute(s) > Strayed) planleg();
  if (time - stallcheck > StallTime) {
    if (follower->done() - stalldone < StallProgress) {
      log_("stalled; planning again");
      // A tank that cannot be got at is given up.
      auto t = std::find(tanks.begin(), tanks.end(), goal.object);
      if (t != tanks.end()) tanks.erase(t);
      planleg();
    }
    stallcheck = time;
    stalldone = follower->done();
  }
  if (follower->arrived(s) || (follower->left() < DockReach && distance(s.at, goal.dock) < DockReach)) {
    mode = Dock;
    dockstart = lastgain = time;
    storeatdock = storefor(goal.object->type);
    drew = false;
    return dock(s);
  }
  return attitude.accelerate(s, follower->acceleration(s, cave), settings.step);
}

Keys Flight::dock(const ShipState& s) {
  Keys keys = attitude.accelerate(s, holdpoint(s, goal.dock, DockReach, cave), settings.step);
  keys.dock = distance(s.at, goal.dock) < DockReach && std::hypot(s.speed.x, s.speed.y) < DockSpeed;
  if (goal.object->type == PlayerBaseExit) return keys;
  float store = storefor(goal.object->type);
  if (store > storeatdock + 1e-4f) {
    drew = true;
    lastgain = time;
    storeatdock = store;
  }
  bool full = store >= FullStore || goal.object->capacity <= 0;
  if (full || time - lastgain > DrawingStalled) {
    if (drew) report.tanks.push_back(storename(goal.object->type));
    log_(std::string(drew ? "drew from the " : "could not draw from the ") + storename(goal.object->type) + " tank");
    // A tank is visited once: what it has left after a visit is not worth another.
    tanks.erase(std::find(tanks.begin(), tanks.end(), goal.object));
    planleg();
    keys.dock = false;
  }
  return keys;
}

Enemy* Flight::worthengaging(const ShipState& s) {
  if (ship->ammo < 0) return nullptr;
  Enemy* best = nullptr;
  float nearest = EngageRange;
  for (const Watched& w : alive) {
    Enemy* e = w.enemy;
    float d = distance(s.at, e->position);
    if (d >= nearest) continue;
    auto skip = skipuntil.find(e);
    if (skip != skipuntil.end() && travelled < skip->second) continue;
    Aim aim;
    // A shot with some height to spare, so that the wibblet's bobbing
    // does not take it out of reach.
    if (!aimat({s.at, {0, 0}, 0}, {e->position.x, e->position.y - ReachSpare}, cave, aim)) continue;
    best = e;
    nearest = d;
  }
  return best;
}

// A level patch of floor straight below where the ship can sit: the
// ship's centre there, one pixel above the floor.
bool Flight::groundbelow(Point from, Point& spot) const {
  for (float y = from.y; y < from.y + GroundSearch; y += 1.0f) {
    if (cave.at(from.x, y) >= ShipRadius + 1.0f) continue;
    spot = {from.x, y - 1.0f};
    const int x = int(from.x), floor = int(y) + int(ShipRadius) + 3;
    return getpixel(collisionmap, x - FlatHalfWidth, floor) != 0 && getpixel(collisionmap, x + FlatHalfWidth, floor) != 0 &&
           getpixel(collisionmap, x, floor) != 0;
  }
  return false;
}

bool Flight::clearline(Point a, Point b) const {
  const float len = distance(a, b);
  for (float t = 0; t <= len; t += Spacing) {
    float k = len > 0 ? t / len : 0;
    if (cave.at(a.x + (b.x - a.x) * k, a.y + (b.y - a.y) * k) < MinClearance) return false;
  }
  return true;
}

// The nearest patch of level floor, straight across and then straight
// down from the ship, from where the wibblet can be hit.
bool Flight::groundnear(Point from, Point enemy, Point& spot) const {
  for (float off = 0; off <= GroundReach; off += GroundStep)
    for (float dx : {off, -off}) {
      Point above{from.x + dx, from.y};
      Point floor;
      Aim aim;
      if (!clearline(from, above) || !groundbelow(above, floor)) continue;
      if (!aimat({floor, {0, 0}, 0}, enemy, cave, aim) || aim.flight > GroundFlight) continue;
      spot = floor;
      return true;
    }
  return false;
}

void Flight::startengaging(Enemy* enemy, const ShipState& s) {
  mode = Engage;
  target = enemy;
  station = s.at;
  landed = groundnear(s.at, enemy->position, station);
  // Drops fall short of a wibblet far above: hover no lower than this below it.
  while (!landed && station.y - enemy->position.y > HighestAbove && clearline(station, {station.x, station.y - GroundStep}))
    station.y -= GroundStep;
  aiming = false;
  engagestart = lastaim = time;
  log_(std::string(landed ? "landing to engage " : "engaging ") + objectname('E', enemy->type) + " at (" + std::to_string(int(enemy->position.x)) + ", " +
       std::to_string(int(enemy->position.y)) + ")");
}

void Flight::giveup() {
  log_("gave up on " + objectname('E', target->type));
  skipuntil[target] = travelled + SkipDistance;
  target = nullptr;
  planleg();
}

const Watched* Flight::watching(const Enemy* e) const {
  for (const Watched& w : alive)
    if (w.enemy == e) return &w;
  return nullptr;
}

// Aims where the target will be when the drop arrives: a guess at the
// flight time, then the flight time of the shot at that place, twice over.
bool Flight::leadaim(const ShipState& s, Aim& aim) const {
  const Watched* w = watching(target);
  if (!w) return false;
  Point ahead = foresee(*w, FirstGuess, settings.step);
  for (int i = 0; i < AimRounds; i++) {
    Aim next;
    if (!aimat(s, ahead, cave, next)) return i > 0;
    aim = next;
    ahead = foresee(*w, aim.flight, settings.step);
  }
  return true;
}

Keys Flight::engage(const ShipState& s) {
  if (time - engagestart > EngageTimeout || ship->ammo < 0 || time - lastaim > NoAimTimeout) {
    giveup();
    return Keys();
  }
  Aim aim;
  bool onground = landed && cave.at(s.at.x, s.at.y) < ShipRadius + 4.0f && distance(s.at, station) < SettledDistance;
  bool settled = landed ? onground && std::hypot(s.speed.x, s.speed.y) < SettledSpeed
                        : std::hypot(s.speed.x, s.speed.y) < SettledSpeed && distance(s.at, station) < SettledDistance &&
                              s.speed.y < SettledFall;
  if (!aiming && settled && time - lastshot >= ShotInterval) aiming = true;
  if (!aiming) lastaim = time;  // only time spent aiming without a shot counts
  if (aiming) {
    // Aiming in the air the ship falls: it needs room below as well as round it.
    Point soon{s.at.x + s.speed.x * FallLook, s.at.y + s.speed.y * FallLook + 0.5f * Gravity * FallLook * FallLook};
    bool safe = landed ? onground
                       : s.speed.y < 60.0f && distance(s.at, station) < 80.0f && cave.at(s.at.x, s.at.y) > ShipRadius + 10.0f &&
                             cave.at(soon.x, soon.y) > ShipRadius + 10.0f;
    if (safe && leadaim(s, aim)) {
      lastaim = time;
      Keys keys = attitude.turnto(s, aim.angle, settings.step);
      if (time - lastshot >= ShotInterval && std::fabs(std::remainder(aim.angle - s.angle, 2.0f * float(M_PI))) < AimTolerance) {
        keys.fire = true;
        lastshot = time;
      }
      return keys;
    }
    aiming = false;
  }
  return attitude.accelerate(s, holdpoint(s, station, landed ? LandingSpeed : 40.0f, cave), settings.step);
}

void Flight::afterframe(const ShipState& before, float shieldbefore) {
  travelled += distance(before.at, ship->position);
  if (time >= nexttrail) {
    report.trail.push_back(ship->position);
    nexttrail = time + TrailInterval;
  }
  // A hit costs at least an eighth of the shield; recharging adds a trickle.
  float lost = shieldbefore - ship->shieldpower;
  if (lost > 0.01f) {
    bool rock = !discfits(collisionmap, int(ship->position.x), int(ship->position.y), int(ShipRadius) + 2);
    report.damage.push_back({ship->position, rock, lost * 320.0f});
    log_(rock ? "hit rock at " + std::to_string(int(lost * 320.0f)) + " px/s" : "hit by a wibblet");
  }
  for (size_t i = 0; i < alive.size();) {
    Enemy* e = alive[i].enemy;
    if (!e->dead) {
      watchframe(alive[i], settings.step);
      i++;
      continue;
    }
    report.killed[e->type]++;
    log_("killed " + objectname('E', e->type));
    alive.erase(alive.begin() + long(i));
    skipuntil.erase(e);
    if (e == target) {
      target = nullptr;
      planleg();
    }
  }
}

void Flight::finish() {
  report.time = time;
  if (!ship) return;
  report.shield = ship->shieldpower;
  report.hydrogen = ship->hydrogen;
  report.oxygen = ship->oxygen;
  report.acid = ship->ammo;
  report.acidtype = ship->ammotype;
}

FlightReport Flight::run() {
  playerinfo.init();
  playerinfo.levelcomplete = false;
  cave = Clearance(collisionmap);
  if (!findobjects()) return report;
  if (!planleg()) {
    finish();
    return report;
  }
  const float q = settings.step;
  while (time < settings.timelimit && report.why.empty()) {
    if (!playership || ship->dead || ship->shieldpower < 0) {
      report.why = "ship lost";
      break;
    }
    ShipState s = state();
    float shield = ship->shieldpower;
    Keys keys = mode == Travel ? travel(s) : mode == Dock ? dock(s) : engage(s);
    presskeys(keys);
    tickall(q);
    track();
    drawobjects();
    restorerects();
    time += q;
    afterframe(s, shield);
    if (playerinfo.levelcomplete) {
      report.finished = true;
      log_("docked");
      break;
    }
  }
  presskeys(Keys());
  if (!report.finished && report.why.empty()) report.why = "out of time";
  finish();
  if (report.shield < 0) report.why = "ship lost";
  return report;
}

}  // namespace

FlightReport flylevel(const FlightSettings& settings, std::ostream* log) { return Flight(settings, log).run(); }

}  // namespace pilot
