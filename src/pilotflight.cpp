#include "pilotflight.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <ostream>
#include <set>

#include "checks.h"
#include "enemies.h"
#include "items.h"
#include "manager.h"
#include "map.h"
#include "pilotcontrol.h"
#include "pilotdodge.h"
#include "pilotground.h"
#include "pilotplan.h"
#include "pilotstation.h"
#include "pilottuning.h"
#include "pilotwibblets.h"
#include "playerinfo.h"

namespace pilot {

namespace {

// The gun is ready this long after a shot, for the pilot: a frame after
// the game's own delay.
const float GunInterval = FireDelay + GunSpare;

float distance(Point a, Point b) { return std::hypot(a.x - b.x, a.y - b.y); }
float pathlength(const std::vector<Point>& path) {
  float len = 0;
  for (size_t i = 1; i < path.size(); i++) len += distance(path[i - 1], path[i]);
  return len;
}
float speedof(Point v) { return std::hypot(v.x, v.y); }
std::string at(Point p) { return "(" + std::to_string(int(p.x)) + ", " + std::to_string(int(p.y)) + ")"; }

const char* storename(StaticType type) {
  switch (type) {
    case TankHydrogen: return "hydrogen";
    case TankOxygen: return "oxygen";
    case TankHCl: return "hydrochloric";
    case TankHF: return "hydrofluoric";
    default: return "exit";
  }
}

// What the pilot is doing: going to the exit pad, drawing from a tank, or
// fighting a wibblet; and where, on a seat or hovering.
struct Job {
  enum Kind { Exit, Tank, Fight } kind = Exit;
  StaticObject* object = nullptr;  // the tank or the exit base
  Enemy* target = nullptr;         // the wibblet fought
  Point spot{0, 0};                // where the ship sits or hovers
  Point approach{0, 0};            // where the route ends
  bool seat = false;
};

class Flight {
 public:
  Flight(const FlightSettings& s, std::ostream* l) : settings(s), log(l) {}
  FlightReport run();

 private:
  enum Mode { Travel, Land, Sit, Hover };
  const FlightSettings& settings;
  std::ostream* log;
  FlightReport report;
  // The level.
  Ship* ship = nullptr;
  StaticObject* exitbase = nullptr;
  std::vector<StaticObject*> tanks;     // not drawn from yet
  std::vector<StaticObject*> alltanks;
  std::vector<Point> objectspots;  // every base and tank, and each wibblet's home
  std::vector<Point> seats;
  Clearance cave;
  std::vector<Watched> alive;
  std::map<const Enemy*, std::unique_ptr<DangerZone>> zones;
  std::set<const Enemy*> skipped;  // not worth fighting, or given up on
  Surcharge surcharge;
  std::unique_ptr<Spread> fromexit;  // plain distances from the exit, for detours
  bool stale = true;  // the surcharge misses a change among the wibblets
  // Flying.
  Attitude attitude;
  std::unique_ptr<Follower> follower;
  Job job;
  Mode mode = Travel;
  Point planned{0, 0};  // the acceleration wanted this frame
  int handovers = 0;    // modes asked this frame
  float time = 0, nexttrail = 0, lastplan = -10, lastfuel = 0;
  float stallcheck = 0, stalldone = 0;
  bool dodging = false;
  float lastdodge = -10;
  // The job's progress.
  float jobstart = 0, lastgain = 0, storeseen = 0;
  bool drew = false;
  float lastshot = -10, lastaim = 0, aimstart = 0;
  bool aiming = false;
  int dropsfired = 0;
  float acidperdrop = 0;  // what the fitted gun takes from the store a shot

  void say(const std::string& what) {
    if (log) *log << "  " << int(time * 10) / 10.0f << " s: " << what << "\n";
  }
  ShipState state() const { return {ship->position, ship->velocity, ship->angle}; }
  bool findobjects();
  bool hoverpoint(const StaticObject* object, Point& spot) const;
  Job tankjob(StaticObject* tank) const;
  Point groupcentre(const StaticObject* tank) const;
  std::vector<Keepout> keepouts(bool strict) const;
  void refreshsurcharge();
  bool decide();
  bool choosetank(const Spread& here, const std::vector<Point>& toexitpath, Job& best) const;
  int guardsalong(const std::vector<Point>& path) const;
  bool acidjob(const Spread& here, Job& best) const;
  float storefor(StaticType type) const;
  float gainfrom(const StaticObject* tank) const;
  int hitsneeded(const Enemy* e) const;
  int dropsneeded(const Enemy* e) const;
  // A wibblet whose drops reach the way ahead: how much of the way, and
  // whether the way passes close to it.
  struct Guard {
    Enemy* enemy = nullptr;
    float exposure = 0;
    bool close = false;
  };
  Guard firstguard(const std::vector<Point>& path, const Enemy* besides, const std::set<const Enemy*>& passing) const;
  float fightfuel(const Spread& here, const Job& fight) const;
  Enemy* shooterof(Point p) const;
  float tofuel(Point p) const;
  bool fightjob(const Spread& here, Enemy* guard, Job& fight) const;
  void start(const Job& next, const Spread& here);
  void reroute();
  bool rethink();
  bool stepacross(Point from, Point to) const;
  Keys fly(const ShipState& s);
  float seatedwithin() const;
  Keys travel(const ShipState& s);
  Keys land(const ShipState& s);
  Keys sit(const ShipState& s);
  Keys stopsliding(const ShipState& s);
  Keys hover(const ShipState& s);
  Keys draw(const ShipState& s, Keys keys);
  Keys fight(const ShipState& s, bool seated);
  bool aimattarget(const ShipState& s, float& angle);
  void giveup(const std::string& why);
  const Watched* watching(const Enemy* e) const;
  void afterframe(float shieldbefore);
  void finish();
};

bool Flight::findobjects() {
  for (std::vector<GameObject*>* list : {&newobjects, &gameobjects})
    for (GameObject* obj : *list) {
      if (Ship* s = dynamic_cast<Ship*>(obj)) ship = ship ? ship : s;
      if (StaticObject* t = dynamic_cast<StaticObject*>(obj)) {
        objectspots.push_back(t->position);
        if (t->type == PlayerBaseExit && !exitbase) exitbase = t;
        if (t->type >= TankHydrogen && t->type <= TankHF) tanks.push_back(t), alltanks.push_back(t);
      }
      if (Enemy* e = dynamic_cast<Enemy*>(obj)) {
        objectspots.push_back(e->position);
        alive.push_back(Watched{e});
        report.wibblets[e->type]++;
        zones[e] = std::make_unique<DangerZone>(e->position, enemyshotspeed(e->type), cave);
      }
    }
  Point spot;
  if (!ship) report.why = "no ship";
  else if (!exitbase) report.why = "no exit base";
  else if (!hoverpoint(exitbase, spot)) report.why = "no room to hover over the exit base";
  return report.why.empty();
}

// Where the ship hovers to draw from an object: straight above it, as near
// DockHeight as there is room for.
bool Flight::hoverpoint(const StaticObject* object, Point& spot) const {
  const float lowest = DockLowest + float(object->height);
  for (float off = 0; off <= DockHighest - lowest; off += DockStep)
    for (float height : {DockHeight - off, DockHeight + off}) {
      if (height < lowest || height > DockHighest) continue;
      Point p{object->position.x, object->position.y - height};
      if (cave.at(p.x, p.y) >= MinClearance + 2.0f) {
        spot = p;
        return true;
      }
    }
  return false;
}

// Where the tanks standing with this one are: of the seats beside it, the
// one toward the others, so that going from one to the next is a step.
Point Flight::groupcentre(const StaticObject* tank) const {
  Point sum = tank->position;
  int n = 1;
  for (const StaticObject* t : alltanks)
    if (t != tank && distance(t->position, tank->position) <= TankGroup) {
      sum = {sum.x + t->position.x, sum.y + t->position.y};
      n++;
    }
  return {sum.x / float(n), sum.y / float(n)};
}

// A tank is drawn from sitting beside it where the floor allows, else hovering over it.
Job Flight::tankjob(StaticObject* tank) const {
  Job j;
  j.kind = tank->type == PlayerBaseExit ? Job::Exit : Job::Tank;
  j.object = tank;
  if (j.kind == Job::Tank && seatbeside(collisionmap, cave, tank->position, objectspots, groupcentre(tank), j.spot)) {
    j.seat = true;
    j.approach = approachto(j.spot, cave);
  } else if (hoverpoint(tank, j.spot)) {
    j.approach = j.spot;
  } else {
    j.object = nullptr;
  }
  return j;
}

std::vector<Keepout> Flight::keepouts(bool strict) const {
  std::vector<Keepout> out;
  for (const Watched& w : alive) {
    Point home = w.started ? w.home : w.enemy->position;
    out.push_back({home, strict ? w.enemy->radius + ShipRadius + WibbletBerth : 0.0f, WibbletWide});
  }
  return out;
}

void Flight::refreshsurcharge() {
  if (!stale) return;
  std::vector<const DangerZone*> live;
  for (const Watched& w : alive) live.push_back(zones[w.enemy].get());
  surcharge = Surcharge(cave, [&](Point p) {
    float extra = 0;
    for (const DangerZone* z : live)
      if (z->at(p)) extra += DangerWeight;
    return extra;
  });
  stale = false;
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
    case TankHCl: gain = ship->ammotype == Hydrochloric ? 1.0f - ship->ammo : (ship->ammo < LowAcid ? 1.0f : 0.0f); break;
    case TankHF: gain = ship->ammotype == Hydrofluoric ? 1.0f - ship->ammo : (ship->ammo < LowForHydrofluoric ? 1.0f : 0.0f); break;
    default: break;
  }
  if ((tank->type == TankHCl || tank->type == TankHF) && alive.size() == skipped.size()) gain = 0;
  return std::min(gain, tank->capacity);
}

// A tank on the way is taken whenever it adds enough to a store; a detour
// is made when the stores would not reach the exit with the margin, or
// one of them runs low, and then for the store that is shortest.
bool Flight::choosetank(const Spread& here, const std::vector<Point>& toexitpath, Job& best) const {
  const float toexit = pathlength(toexitpath);
  const int fights = guardsalong(toexitpath);
  const float low = std::min(ship->hydrogen, ship->oxygen);
  const float need = tripfuel(toexit) + FightAllowance * float(fights) + ExitReserve;
  // Running low matters while there are fights ahead; with none, only the
  // way to the exit counts.
  const bool fightsahead = fights > 0;
  const bool wanting = low < need || (fightsahead && low < LowStore);
  float bestscore = 0;
  // When the exit is out of reach and no tank seems within it either, the
  // nearest tank of the shortest store is still the best hope.
  float lastchance = low < tripfuel(toexit) ? toexit : 0.0f;
  for (StaticObject* tank : tanks) {
    if (tank->capacity < LeastCapacity) continue;
    const float gain = gainfrom(tank);
    if (gain < WorthwhileGain) continue;
    Job j = tankjob(tank);
    if (!j.object || !here.reaches(j.approach)) continue;
    const bool gas = tank->type == TankHydrogen || tank->type == TankOxygen;
    const float there = here.lengthto(j.approach);
    const bool shortest = gas && storefor(tank->type) <= low + ShortestSlack;
    if (bestscore <= 0 && shortest && there < lastchance) lastchance = there, best = j;
    // The stores must get there, and for acid with enough left to go on.
    if (tripfuel(there) > low - (gas ? 0.0f : AcidTripReserve)) continue;
    const float detour = std::max(0.0f, there + fromexit->lengthto(j.approach) - toexit);
    if (detour > OnTheWay && !(wanting && gas)) continue;
    // A tank under a wibblet's drops means a fight first, or, with a
    // wibblet given up on, drawing under fire.
    const Enemy* shooter = shooterof(j.spot);
    const float risk = shooter ? (skipped.count(shooter) ? UnderFire : FightFirst) : 0.0f;
    const float score = gain - FuelPerPixel * detour - (j.seat ? 0.0f : HoverCost) + (wanting && shortest ? Shortest : 0.0f) -
                        there * NearerIsBetter - risk;
    if (score > bestscore) bestscore = score, best = j;
  }
  return bestscore > 0 || (lastchance > 0 && best.object);
}

// The nearest acid tank that fills the store, for a fight that needs more.
bool Flight::acidjob(const Spread& here, Job& best) const {
  float nearest = 1e30f;
  for (StaticObject* tank : tanks) {
    if ((tank->type != TankHCl && tank->type != TankHF) || tank->capacity < LeastCapacity) continue;
    if (tank->type == TankHCl && ship->ammotype == Hydrofluoric && ship->ammo > LowAcid) continue;
    Job j = tankjob(tank);
    if (!j.object || !here.reaches(j.approach)) continue;
    const float there = here.lengthto(j.approach);
    if (tripfuel(there) > std::min(ship->hydrogen, ship->oxygen) - AcidTripReserve) continue;
    if (there < nearest) nearest = there, best = j;
  }
  return nearest < 1e30f;
}

int Flight::hitsneeded(const Enemy* e) const { return hitstokill(e->type, aciddamage(ship->ammotype)); }

int Flight::dropsneeded(const Enemy* e) const { return int(std::ceil(float(hitsneeded(e)) / ExpectedAccuracy)); }

// The first wibblet along the path whose drops reach enough of it, or that
// the path passes close to; wibblets given up on, and `besides`, aside.
Flight::Guard Flight::firstguard(const std::vector<Point>& path, const Enemy* besides,
                                 const std::set<const Enemy*>& passing) const {
  std::map<const Enemy*, float> exposed;
  Guard first;
  for (const Point& p : path)
    for (const Watched& w : alive) {
      const Enemy* e = w.enemy;
      if (e == besides || skipped.count(e) || passing.count(e)) continue;
      if (zones.at(e)->at(p)) exposed[e] += float(Cell);
      const bool close = distance(p, zones.at(e)->home()) < GuardNear;
      if (!first.enemy && (exposed[e] > GuardStretch || close)) first = {w.enemy, 0, close};
      if (first.enemy == e) first.close = first.close || close;
    }
  if (first.enemy) first.exposure = exposed[first.enemy];
  return first;
}

// Roughly how far it is from `p` to the nearest place that ends the need
// for fuel: a gas tank with something left, or the exit.
float Flight::tofuel(Point p) const {
  float nearest = distance(p, exitbase->position);
  for (const StaticObject* t : tanks)
    if ((t->type == TankHydrogen || t->type == TankOxygen) && t->capacity >= LeastCapacity)
      nearest = std::min(nearest, distance(p, t->position));
  return nearest * DetourFactor;
}

// How many wibblets guard the path: the fights on the way.
int Flight::guardsalong(const std::vector<Point>& path) const {
  std::set<const Enemy*> passing;
  int n = 0;
  for (Guard g = firstguard(path, nullptr, passing); g.enemy; g = firstguard(path, nullptr, passing)) {
    passing.insert(g.enemy);
    n++;
  }
  return n;
}

// A living wibblet whose drops would reach a ship keeping still at `p`.
Enemy* Flight::shooterof(Point p) const {
  for (const Watched& w : alive)
    if (zones.at(w.enemy)->at(p)) return w.enemy;
  return nullptr;
}

// Fuel a fight is likely to cost: the way to its station, and hovering
// through it when there is no seat.
float Flight::fightfuel(const Spread& here, const Job& fight) const {
  const float there = tripfuel(here.lengthto(fight.approach));
  if (fight.seat) return there + LandingFuel;
  return there + float(dropsneeded(fight.target)) * GunInterval * HoverSecondsPerDrop * HoverFuel;
}

bool Flight::fightjob(const Spread& here, Enemy* guard, Job& fight) const {
  std::vector<const DangerZone*> dangers;
  for (const Watched& w : alive) dangers.push_back(zones.at(w.enemy).get());
  StationNeeds needs;
  needs.hits = hitstokill(guard->type, aciddamage(Hydrochloric));
  Station st;
  if (!choosestation(cave, here, seats, zones.at(guard)->home(), dangers, needs, st)) return false;
  fight.kind = Job::Fight;
  fight.target = guard;
  fight.spot = st.at;
  fight.approach = st.approach;
  fight.seat = st.seat;
  // Trading drops with a wibblet is worse than flying past it.
  return st.safe;
}

// Chooses the next job from where the ship is: the exit, or a tank on the
// way or needed for fuel; but first the wibblets guarding the way there,
// with acid fetched first when the store would not do.
bool Flight::decide() {
  lastplan = time;
  refreshsurcharge();
  const ShipState s = state();
  Spread here(cave, s.at, keepouts(true), surcharge);
  Job exitjob = tankjob(exitbase);
  if (!here.reaches(exitjob.approach)) here = Spread(cave, s.at, keepouts(false), surcharge);
  if (!here.reaches(exitjob.approach)) {
    report.why = "no way to the exit from " + at(s.at);
    return false;
  }
  Job next = exitjob, tank;
  const bool tankfirst = choosetank(here, here.pathto(exitjob.approach), tank);
  if (tankfirst) next = tank;
  std::set<const Enemy*> passing;  // flown past this time
  // Drawing from a tank takes seconds of sitting still: a wibblet whose
  // drops reach the seat is fought first.
  if (tankfirst && next.kind == Job::Tank) {
    Job j;
    Enemy* shooter = shooterof(next.spot);
    if (shooter && !skipped.count(shooter) && ship->ammo >= float(hitsneeded(shooter)) * acidperdrop && fightjob(here, shooter, j) &&
        std::min(ship->hydrogen, ship->oxygen) - fightfuel(here, j) - tripfuel(tofuel(j.spot)) > FightReserve) {
      say(std::string("clearing the way to the ") + storename(next.object->type) + " tank");
      next = j;
    }
  }
  for (int round = 0; round < MostGuardRounds; round++) {
    const Guard g = firstguard(here.pathto(next.approach), next.target, passing);
    Enemy* guard = g.enemy;
    if (!guard) break;
    Job j;
    // Acid is fetched first when the store could not kill the guard even
    // with every drop hitting, or when a tank is close by and the store
    // would likely not do.
    const float wanted = float(dropsneeded(guard)) * acidperdrop, least = float(hitsneeded(guard)) * acidperdrop;
    const bool fetch = next.kind != Job::Tank && acidjob(here, j) &&
                       (ship->ammo < least || (ship->ammo < wanted && here.lengthto(j.approach) < AcidDetour));
    if (fetch) {
      say(std::string("fetching acid for the ") + enemyname(guard->type) + " at " + at(guard->position));
      next = j;
    } else if (ship->ammo >= least && fightjob(here, guard, j)) {
      // A fight from the air costs much fuel: a wibblet that only a short
      // stretch of the way passes is flown past instead; and with the
      // stores low, a tank comes before a fight.
      const bool worth = j.seat || g.close || g.exposure > HoverWorthExposure;
      const float after = std::min(ship->hydrogen, ship->oxygen) - fightfuel(here, j) - tripfuel(tofuel(j.spot));
      const bool affordable = after > FightReserve;
      if (worth && affordable) {
        next = j;
        continue;
      }
      say(std::string("passing the ") + enemyname(guard->type) + " at " + at(guard->position) + " for now");
      passing.insert(guard);
    } else {
      say(std::string("no way to fight the ") + enemyname(guard->type) + " at " + at(guard->position));
      skipped.insert(guard);
    }
  }
  start(next, here);
  return true;
}

// True when the ship sitting at `from` can go straight across to the seat
// at `to` low over the same floor.
bool Flight::stepacross(Point from, Point to) const {
  if (std::fabs(from.y - to.y) > 3.0f || std::fabs(from.x - to.x) > StepReach) return false;
  if (cave.at(from.x, from.y) > ShipRadius + 3.0f) return false;  // not seated
  const float y = to.y - StepHeight;
  for (float t = 0; t <= 1.0f; t += 0.05f)
    if (cave.at(from.x + (to.x - from.x) * t, y) < ShipRadius + 1.0f) return false;
  return true;
}

// On the way to the exit: whether a tank has become worth the stop; if so
// the ship goes there now.
bool Flight::rethink() {
  lastplan = time;
  const ShipState s = state();
  Spread here(cave, s.at, keepouts(true), surcharge);
  Job tank;
  if (!here.reaches(job.approach) || !choosetank(here, here.pathto(job.approach), tank)) return false;
  decide();
  return true;
}

// A new route to the same job, from where the ship has got to.
void Flight::reroute() {
  lastplan = time;
  const ShipState s = state();
  Spread here(cave, s.at, keepouts(true), surcharge);
  if (!here.reaches(job.approach)) here = Spread(cave, s.at, keepouts(false), surcharge);
  if (!here.reaches(job.approach)) {
    decide();
    return;
  }
  follower = std::make_unique<Follower>(makeroute(cave, here.pathto(job.approach), speedof(s.speed)));
  mode = Travel;
  stallcheck = time;
  stalldone = 0;
}

void Flight::start(const Job& next, const Spread& here) {
  job = next;
  const ShipState s = state();
  follower = std::make_unique<Follower>(makeroute(cave, here.pathto(job.approach), speedof(s.speed)));
  mode = Travel;
  if (job.seat && mode == Travel && stepacross(s.at, job.spot)) {
    job.approach = {job.spot.x, job.spot.y - StepHeight};
    mode = Land;
  }
  stallcheck = time;
  stalldone = 0;
  jobstart = lastaim = time;
  dropsfired = 0;
  std::string what = job.kind == Job::Fight ? std::string("fighting the ") + enemyname(job.target->type) + " at " + at(job.target->position) + " from " + (job.seat ? "a seat at " : "the air at ") + at(job.spot)
                     : job.kind == Job::Tank ? std::string("heading for the ") + storename(job.object->type) + " tank at " + at(job.object->position) + (job.seat ? ", to sit beside it" : ", to hover over it")
                                             : "heading for the exit at " + at(job.object->position);
  float eta = 0;
  for (const Waypoint& w : follower->path()) eta += Spacing / std::max(w.speed, 1.0f);
  say(what + ", " + std::to_string(int(routelength(follower->path()))) + " px, " + std::to_string(int(eta)) + " s");
}

Keys Flight::travel(const ShipState& s) {
  // On the way to the exit the stores are weighed again now and then: a
  // tank passed by may have become worth the stop.
  if (job.kind == Job::Exit && time - lastplan > RethinkEvery && rethink()) return fly(s);
  if (follower->offroute(s) > Strayed && time - lastplan > ReplanEvery) {
    reroute();
    return fly(s);
  }
  if (time - stallcheck > StallTime) {
    if (follower->done() - stalldone < StallProgress) {
      say("stalled; planning again");
      if (job.kind == Job::Tank) tanks.erase(std::find(tanks.begin(), tanks.end(), job.object));
      if (job.kind == Job::Fight) skipped.insert(job.target);
      decide();
      return fly(s);
    }
    stallcheck = time;
    stalldone = follower->done();
  }
  if (follower->arrived(s) || (follower->left() < DockReach && distance(s.at, job.approach) < DockReach)) {
    mode = job.seat ? Land : Hover;
    jobstart = lastgain = lastaim = time;
    return fly(s);
  }
  planned = follower->acceleration(s, cave);
  return attitude.accelerate(s, planned, settings.step);
}

// Straight down onto the seat once over it; back over it first when off.
Keys Flight::land(const ShipState& s) {
  const bool over = std::fabs(s.at.x - job.spot.x) < OverSeat && s.at.y <= job.spot.y + 2.0f;
  if (over && distance(s.at, job.spot) < seatedwithin() && speedof(s.speed) < SeatedSpeed && std::fabs(s.speed.x) < SteadySpeed &&
      cave.at(s.at.x, s.at.y) < ShipRadius + 2.0f) {
    mode = Sit;
    say("sat down at " + at(s.at));
    jobstart = lastaim = time;
    storeseen = job.object ? storefor(job.object->type) : 0;
    lastgain = time;
    return fly(s);
  }
  if (distance(s.at, job.approach) > 2 * Strayed) {
    reroute();
    return fly(s);
  }
  // The ship keeps any sideways speed it lands with and slides off the
  // seat: it comes down only once steady over it, else holds its height.
  const bool steady = std::fabs(s.at.x - job.spot.x) < SteadyOffset && std::fabs(s.speed.x) < SteadySpeed;
  // Close by, the last stretch over to the seat is taken slowly.
  const float approachspeed = std::min(ApproachSpeed, StepSpeedPerPixel * distance(s.at, job.approach) + StepSpeed);
  if (!over) planned = holdpoint(s, job.approach, approachspeed, cave);
  else planned = holdpoint(s, steady ? job.spot : Point{job.spot.x, s.at.y - 1.0f}, LandingSpeed, cave);
  return attitude.accelerate(s, planned, settings.step);
}

// A seated ship that slides stops itself with short pushes sideways, the
// nose turned down to that side so that the rocket presses it to the floor.
Keys Flight::stopsliding(const ShipState& s) {
  const float side = s.speed.x > 0 ? -1.0f : 1.0f;
  const bool pushes = std::sin(s.angle) * side > PushingSideways && std::cos(s.angle) < PushingDown;
  if (!pushes) return turnkeys(s, side * SlideStopAngle, settings.step);
  Keys keys;
  keys.up = true;
  return keys;
}

Keys Flight::sit(const ShipState& s) {
  planned = {0, 0};
  if (distance(s.at, job.spot) > seatedwithin()) {
    mode = Land;  // knocked off the seat
    return fly(s);
  }
  const bool sliding = std::fabs(s.speed.x) > Sliding;
  if (job.kind == Job::Fight) return sliding ? stopsliding(s) : fight(s, true);
  Keys keys = sliding ? stopsliding(s) : Keys();
  keys.dock = true;
  return draw(s, keys);
}

Keys Flight::hover(const ShipState& s) {
  if (distance(s.at, job.spot) > 2 * Strayed) {
    reroute();
    return fly(s);
  }
  planned = holdpoint(s, job.spot, DockReach, cave);
  if (job.kind == Job::Fight) return fight(s, false);
  Keys keys = attitude.accelerate(s, planned, settings.step);
  keys.dock = distance(s.at, job.spot) < DockReach && speedof(s.speed) < DockSpeed;
  return draw(s, keys);
}

// Watches the store fill; the tank is left when the store is full, the
// tank empty, or nothing comes for a while.
Keys Flight::draw(const ShipState&, Keys keys) {
  if (job.kind == Job::Exit) return keys;
  const float store = storefor(job.object->type);
  if (store > storeseen + 1e-4f) {
    drew = true;
    lastgain = time;
  }
  storeseen = store;
  if (store >= FullStore || job.object->capacity <= 0 || time - lastgain > DrawingStalled) {
    if (drew) report.tanks.push_back(storename(job.object->type));
    say(std::string(drew ? "drew from the " : "could not draw from the ") + storename(job.object->type) + " tank");
    // One that gives nothing is not tried again; one that gave may top the
    // store up later, while it has enough left.
    if (!drew) tanks.erase(std::find(tanks.begin(), tanks.end(), job.object));
    drew = false;
    decide();
    keys.dock = false;
  }
  return keys;
}

const Watched* Flight::watching(const Enemy* e) const {
  for (const Watched& w : alive)
    if (w.enemy == e) return &w;
  return nullptr;
}

bool Flight::aimattarget(const ShipState& s, float& angle) {
  const Watched* w = watching(job.target);
  if (!w) return false;
  float flight;
  const float step = settings.step;
  return aimdrop(s, [&](float t) { return foresee(*w, t, step); }, cave, LongestDrop, angle, flight);
}

// Turns the nose along the drop's arc to where the wibblet will be and
// fires as the gun comes ready. In the air the ship holds its station
// until the gun is ready, then turns to aim with the rocket holding the
// height as long as the nose allows, fires, and comes back.
Keys Flight::fight(const ShipState& s, bool seated) {
  if (time - jobstart > FightTimeout || ship->ammo < 0 || time - lastaim > NoAimTimeout ||
      dropsfired > MostDropsPerHit * hitstokill(job.target->type, aciddamage(Hydrochloric))) {
    giveup("could not finish it");
    return Keys();
  }
  const bool ready = time - lastshot >= GunInterval;
  if (!seated && !aiming) {
    lastaim = time;  // only time spent aiming counts
    if (!ready || speedof(s.speed) > HoverSteadySpeed || distance(s.at, job.spot) > HoverSteadyDistance)
      return attitude.accelerate(s, planned, settings.step);
    aiming = true;
    aimstart = time;
  }
  if (!seated && (time - aimstart > AimWindow || s.at.y > job.spot.y + FallAllowance)) {
    aiming = false;
    return attitude.accelerate(s, planned, settings.step);
  }
  float angle;
  if (!aimattarget(s, angle) || (!seated && std::fabs(angle) > SteepestHoverAim)) {
    aiming = false;
    return seated ? Keys() : attitude.accelerate(s, planned, settings.step);
  }
  lastaim = time;
  Keys keys = turnkeys(s, angle, settings.step);
  if (!seated) keys.up = std::cos(s.angle) * RocketAcceleration > Gravity && s.speed.y > 0;
  if (ready && std::fabs(std::remainder(angle - s.angle, 2.0f * float(M_PI))) < AimTolerance) {
    keys.fire = true;
    lastshot = time;
    dropsfired++;
    aiming = false;
  }
  return keys;
}

void Flight::giveup(const std::string& why) {
  say("gave up on the " + std::string(enemyname(job.target->type)) + ": " + why);
  skipped.insert(job.target);
  decide();
}

// Drawing from a tank needs the seat to a few pixels; a fight does not.
float Flight::seatedwithin() const { return job.kind == Job::Fight ? SeatedDistance : DrawingSeat; }

// The keys of the mode the ship is in. A mode that hands over to another
// asks that one at once, within the same frame, a few times at most.
Keys Flight::fly(const ShipState& s) {
  if (!report.why.empty()) return Keys();
  if (handovers++ > MostHandovers) return attitude.accelerate(s, holdpoint(s, s.at, 0, cave), settings.step);
  switch (mode) {
    case Travel: return travel(s);
    case Land: return land(s);
    case Sit: return sit(s);
    case Hover: return hover(s);
  }
  return Keys();
}

void Flight::afterframe(float shieldbefore) {
  if (time >= nexttrail) {
    report.trail.push_back(ship->position);
    nexttrail = time + TrailInterval;
  }
  // A hit costs at least an eighth of the shield; recharging adds a trickle.
  const float lost = shieldbefore - ship->shieldpower;
  if (lost > ShieldLossSeen) {
    bool rock = !discfits(collisionmap, int(ship->position.x), int(ship->position.y), int(ShipRadius) + 2);
    const float strength = lost * (ShieldHitShare * HitScale);
    report.damage.push_back({ship->position, rock, strength});
    say(rock ? "hit rock at " + std::to_string(int(strength)) + " px/s" : "hit by a drop");
  }
  for (const Watched& w : alive)
    if (!w.enemy->dead && wibbletcanfire(collisionmap, w.enemy->position, ship->position)) {
      report.underfire += settings.step;
      break;
    }
  bool lost_target = false;
  for (size_t i = 0; i < alive.size();) {
    Enemy* e = alive[i].enemy;
    if (!e->dead) {
      watchframe(alive[i], settings.step);
      i++;
      continue;
    }
    report.killed[e->type]++;
    say(std::string("killed the ") + enemyname(e->type));
    alive.erase(alive.begin() + long(i));
    skipped.erase(e);
    stale = true;
    lost_target = lost_target || (job.kind == Job::Fight && e == job.target);
  }
  if (lost_target) {
    job.target = nullptr;
    decide();
  }
}

void Flight::finish() {
  report.time = time;
  if (!ship) return;
  report.stop = ship->position;
  report.shield = ship->shieldpower;
  report.hydrogen = ship->hydrogen;
  report.oxygen = ship->oxygen;
  report.acid = ship->ammo;
  report.acidtype = ship->ammotype;
}

FlightReport Flight::run() {
  playerinfo.init();
  playerinfo.levelcomplete = false;
  acidperdrop = acidperpull(playerinfo.weapon);
  cave = Clearance(collisionmap);
  if (!findobjects()) return report;
  seats = findseats(collisionmap, cave, SeatSpacing);
  fromexit = std::make_unique<Spread>(cave, tankjob(exitbase).approach, std::vector<Keepout>());
  if (!decide()) {
    finish();
    return report;
  }
  // The level starts as the game starts it: the view on the ship, the
  // world picture clean; what the view holds decides what collides.
  refreshvscreen();
  dirtyrectangles.clear();
  viewportcentre = ship->position;
  track();
  const float q = settings.step;
  while (time < settings.timelimit && report.why.empty()) {
    if (!playership || ship->dead || ship->shieldpower < 0) {
      report.why = "ship lost";
      break;
    }
    // With a store run dry the rocket is dead: nothing more will happen.
    if (ship->hydrogen >= 0 && ship->oxygen >= 0) lastfuel = time;
    if (time - lastfuel > DryTime) {
      report.why = ship->hydrogen < 0 ? "out of hydrogen" : "out of oxygen";
      break;
    }
    const ShipState s = state();
    const float shield = ship->shieldpower;
    handovers = 0;
    Keys keys = fly(s);
    Keys away;
    if (evade(s, planned, mode == Sit, dropsinflight(), cave, q, away)) {
      if (!dodging) say("dodging a drop");
      keys = away;
      dodging = true;
      lastdodge = time;
    } else if (dodging && time - lastdodge > DodgeSettle) {
      dodging = false;
      if (mode == Sit) mode = Land;
    }
    presskeys(keys);
    tickall(q);
    track();
    drawobjects();
    restorerects();
    time += q;
    afterframe(shield);
    if (playerinfo.levelcomplete) {
      report.finished = true;
      say("docked");
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

float tripfuel(float pixels) { return FuelPerTrip + FuelPerPixel * pixels; }

FlightReport flylevel(const FlightSettings& settings, std::ostream* log) {
  const PlayerInfo player = playerinfo;
  FlightReport report = Flight(settings, log).run();
  playerinfo = player;
  return report;
}

}  // namespace pilot
