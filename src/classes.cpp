#include "classes.h"

#include <algorithm>
#include <cmath>
#include <ostream>

#include "common.h"
#include "controls.h"
#include "data.h"
#include "gamedata.h"
#include "items.h"
#include "manager.h"
#include "map.h"
#include "playerinfo.h"
#include "randomness.h"
#include "shot.h"

namespace {

const float PixelsPerMetre = 10.0f;

// The ship with the Mk1 engine and the plain gun; the fitted items scale
// these (items.h).
const float ShipMass = 10000.0f;
const float StandardThrust = RocketAcceleration * ShipMass / PixelsPerMetre;
const float StandardBurnRate = 0.05f;    // hydrogen, and of oxygen, per second of burn

const float DebrisSpeed = 100.0f;        // exhaust particles, pixels per second
const float ExhaustInterval = 0.05f;     // seconds of burn per exhaust particle
const float ShieldRechargeTime = 90.0f;  // seconds from an empty shield to a full one
const float StressDecay = 3.0f;          // glow of the hardest recent hit lost per second
const int HitVolumePerDamage = 128;      // hit sound volume per whole unit of damage
// The gun may fire again once its cooldown is within this of done.
const float FireSlack = 0.01f;
const float CollisionDamage = 100.0f;    // the hit the ship deals to a body it touches
const float TransferRate = 0.2f;         // units per second drawn from a tank
const float MaxPickupSpeed = 100.0f;     // fastest the ship may go and still draw, px/s
const float DockedEnough = 0.3f;         // docking progress that completes the level: 1.5 s
const float DisintegrationTime = 5.0f;   // seconds from a lost shield to the last explosion
const int BlastSmokeSpeed = 30;          // px/s on each axis, smoke of a disintegration blast
const int WreckPieces = 40;              // pieces of the ship's last explosion
const int WreckSpeed = 300;              // px/s on each axis

const float HydrofluoricStrength = 3.0f;  // times hydrochloric's damage
const float Pi = 3.1415927f;
const float SprayAngle = 0.2617993877991494f;  // 15 degrees either side of the nose
const double RadiansToAllegro = 40.74366543152521;  // 128 / pi: 256 steps a turn

// Sums of the solid pixels found on one circle's outline. 64-bit so that
// a body flung far outside the world cannot overflow them.
struct OutlineSums {
  long long x = 0, y = 0;
  int count = 0;
};

// One outline pixel: outside the bitmap counts as rock, as getpixel's -1 does.
// Read straight from the 8-bit lines; this runs for every body every frame.
inline void probe(int x, int y, OutlineSums& sums) {
  const BITMAP* map = collisionmap;
  if (x >= 0 && y >= 0 && x < map->w && y < map->h && map->line[y][x] == 0) return;
  sums.x += x;
  sums.y += y;
  sums.count++;
}

// The pixels of Allegro's do_circle outline (midpoint algorithm, the same
// points), each probed once per octant it falls in, as do_circle calls back.
void walkoutline(int x, int y, int r, OutlineSums& sums) {
  int cx = 0, cy = r, df = 1 - r, de = 3, dse = 5 - 2 * r;
  do {
    probe(x + cx, y + cy, sums);
    if (cx) probe(x - cx, y + cy, sums);
    if (cy) probe(x + cx, y - cy, sums);
    if (cx && cy) probe(x - cx, y - cy, sums);
    if (cx != cy) {
      probe(x + cy, y + cx, sums);
      if (cx) probe(x + cy, y - cx, sums);
      if (cy) probe(x - cy, y + cx, sums);
      if (cx && cy) probe(x - cy, y - cx, sums);
    }
    if (df < 0) {
      df += de;
      de += 2;
      dse += 2;
    } else {
      df += dse;
      de += 2;
      dse += 4;
      cy--;
    }
    cx++;
  } while (cx <= cy);
}

// Mean offset of the solid pixels on the circle's outline from its centre;
// (0, 0) when none is solid.
Point meancollision(int cx, int cy, int r) {
  OutlineSums sums;
  walkoutline(cx, cy, r, sums);
  if (sums.count == 0) return {0, 0};
  return {static_cast<float>(sums.x) / sums.count - cx, static_cast<float>(sums.y) / sums.count - cy};
}

// A rocket exhaust particle leaving the ship's tail backwards.
void emitexhaust(const Ship& ship, float sa, float ca) {
  Particle* p = new Particle();
  float randx = static_cast<float>(randombetween(-10, 10));
  float randy = static_cast<float>(randombetween(-10, 10));
  p->position = {ship.position.x - sa * ship.radius, ship.position.y + ca * ship.radius};
  p->velocity = {ship.velocity.x + randx - sa * DebrisSpeed,
                 ship.velocity.y + ca * DebrisSpeed + randy};
  addobject(p);
}

// One drop of acid on the ship's rim, flying along `angle`.
void makebullet(Ship* ship, float angle) {
  float sa = std::sin(angle);
  float ca = std::cos(angle);
  Shot* s = new Shot(ship);
  s->position = {ship->position.x + sa * ship->radius, ship->position.y - ca * ship->radius};
  s->velocity = {ship->velocity.x + sa * ShipShotSpeed, ship->velocity.y - ca * ShipShotSpeed};
  s->damage = aciddamage(ship->ammotype);
  s->colour = getammocolour(ship->ammotype);
  addobject(s);
}

// A blast somewhere on a disintegrating ship, with a puff of smoke.
void makeblast(const Ship& ship) {
  Explosion* e = new Explosion();
  int r = wholepixel(ship.radius);
  float dx = static_cast<float>(randombetween(-r, r));
  float dy = static_cast<float>(randombetween(-r, r));
  e->position = {ship.position.x + dx, ship.position.y + dy};
  addobject(e);
  addobject(makeparticle(ship.position, BlastSmokeSpeed));
}

// The ship's last moment: long-lived pieces flung in every direction.
void scatterwreck(const Ship& ship) {
  for (int i = 0; i < WreckPieces; i++) {
    Particle* p = makeparticle(ship.position, WreckSpeed);
    p->life *= 2.0f;
    addobject(p);
  }
}

// White line from the ship to the base or tank it draws from.
void drawconnection(Point ship, const GameObject* item) {
  int px = wholepixel(ship.x), py = wholepixel(ship.y);
  int cx = wholepixel(item->position.x), cy = wholepixel(item->position.y);
  line(vscreen, px, py, cx, cy, makecol(255, 255, 255));
  int minx = std::min(px, cx), maxx = std::max(px, cx);
  int miny = std::min(py, cy), maxy = std::max(py, cy);
  addrect(minx, miny, maxx - minx + 1, maxy - miny + 1);
}

// Translucent rings around the ship after a hard hit: the outer one fully
// bright from a stress of 1, the inner one only above 2.
void drawglow(int x, int y, int r, float stress) {
  int white = makecol(255, 255, 255);
  drawing_mode(DRAW_MODE_TRANS, nullptr, 0, 0);
  set_trans_blender(0, 0, 0, std::min(wholepixel(stress * 256.0f), 255));
  circle(vscreen, x, y, r, white);
  if (stress > 2.0f) {
    set_trans_blender(0, 0, 0, std::min(wholepixel(stress * 64.0f), 255));
    circle(vscreen, x, y, r - 1, white);
  }
  drawing_mode(DRAW_MODE_SOLID, nullptr, 0, 0);
}

// One store bar: coloured for the amount, black for the rest. The length is
// held to the bar, so a store run a step below empty or above full (which
// the rules allow) cannot paint outside it.
void drawslider(BITMAP* bmp, int x, int y, int colour, float amount) {
  const int width = 30;
  const int height = 6;
  int offset = std::clamp(wholepixel(width * amount), 0, width);
  rectfill(bmp, x, y, x + offset, y + height, colour);
  rectfill(bmp, x + offset, y, x + width, y + height, 0);
}

// Volume of the hit sound: 128 for a damage from 1, 255 from 2 upwards.
int hitvolume(float damage) {
  return std::min(wholepixel(std::clamp(damage, 0.0f, 2.0f)) * HitVolumePerDamage, 255);
}

// Picture and name of each kind of base and tank, in StaticType order.
struct StaticKind {
  int sprite;
  const char* name;
};
const StaticKind StaticKinds[] = {
    {DataBaseExit, "exit base"},                // PlayerBaseExit
    {DataTankHydrogen, "hydrogen tank"},        // TankHydrogen
    {DataTankOxygen, "oxygen tank"},            // TankOxygen
    {DataTankHCl, "hydrochloric acid tank"},    // TankHCl
    {DataTankHF, "hydrofluoric acid tank"},     // TankHF
    {DataBaseStart, "start base"},              // PlayerBaseStart
};
static_assert(sizeof(StaticKinds) / sizeof(StaticKinds[0]) == NumStaticTypes, "a row for every StaticType");

// Stamps the opaque pixels of a picture with top-left corner (px, py).
void spritetocollisionmap(BITMAP* sprite, int px, int py, int colour) {
  for (int x = 0; x < sprite->w; x++)
    for (int y = 0; y < sprite->h; y++)
      if (opaquepixel(sprite, x, y)) putpixel(collisionmap, px + x, py + y, colour);
}

}  // namespace

void GameObject::tick(float) {}

bool GameObject::seenin(const Rect&) const { return true; }

void GameObject::unseen() {}

bool overlaps(const Rect& a, const Rect& b) {
  return a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h && a.w > 0 && a.h > 0 &&
         b.w > 0 && b.h > 0;
}

GameObject::~GameObject() {}

void GameObject::save(std::ostream&) {}

int wholepixel(float v) {
  const float limit = 1.0e9f;
  if (std::isnan(v)) return 0;
  if (v > limit) return static_cast<int>(limit);
  if (v < -limit) return -static_cast<int>(limit);
  return static_cast<int>(v);
}

bool opaquepixel(BITMAP* sprite, int x, int y) {
  if (x < 0 || y < 0 || x >= sprite->w || y >= sprite->h) return false;
  return getpixel(sprite, x, y) != bitmap_mask_color(sprite);
}

bool isstatictype(int type) { return type >= 0 && type < NumStaticTypes; }

const char* staticname(StaticType type) { return StaticKinds[type].name; }

Particle* makeparticle(Point at, int speed) {
  Particle* p = new Particle();
  p->position = at;
  float vx = static_cast<float>(randombetween(-speed, speed));
  float vy = static_cast<float>(randombetween(-speed, speed));
  p->velocity = {vx, vy};
  return p;
}

void ApplyGravity(GameObject* obj, float quantum) {
  obj->velocity.y += Gravity * quantum;
}

void CollidesWithScenery::tick(float quantum) {
  ApplyGravity(this, quantum);
  position.x += velocity.x * quantum;
  position.y += velocity.y * quantum;
  collidedetect();
}

void CollidesWithScenery::takehit(float) {}

void CollidesWithScenery::collidewithother(CollidesWithScenery*, float) {}

void CollidesWithScenery::collidedetect() {
  const Point mean = meancollision(wholepixel(position.x), wholepixel(position.y), wholepixel(radius));
  // No contact, or rock evenly all round (a body buried in it).
  if (std::fabs(mean.x) + std::fabs(mean.y) <= 0.01f) return;
  float strength = std::sqrt(mean.x * mean.x + mean.y * mean.y);
  float cofsx = mean.x / strength;
  float cofsy = mean.y / strength;
  float dotprod = cofsx * velocity.x + cofsy * velocity.y;
  if (dotprod <= 0) return;  // sliding along the rock or leaving it
  // Hard impacts lose half their speed; slow ones are kicked off a little
  // faster so a resting body does not sink into the rock.
  float factor = dotprod < 3.0f ? -2.1f : -1.5f;
  velocity.x += dotprod * cofsx * factor;
  velocity.y += dotprod * cofsy * factor;
  takehit(dotprod);
}

int getammocolour(AmmoType ammotype) {
  if (ammotype == Hydrofluoric) return makecol(0, 192, 0);
  return makecol(192, 192, 0);
}

float aciddamage(AmmoType ammotype) { return ammotype == Hydrofluoric ? ShotDamage * HydrofluoricStrength : ShotDamage; }

Ship::Ship() {
  velocity = {0, 0};
  angle = 0;
  dead = false;
  radius = ShipRadius;
  mass = ShipMass;
  sprite = databitmap(DataShip);
  debristime = 0;
  shieldstress = 0;
  shieldpower = 1.0f;
  ammotype = Hydrochloric;
  ammo = 1.0f;
  oxygen = 1.0f;
  hydrogen = 1.0f;
  // The engine's turning and the gun's jets are read as they are used.
  const EngineProperties engine = engineproperties(playerinfo.engine);
  thrust = StandardThrust * engine.thrustfactor;
  burnrate = static_cast<float>(StandardBurnRate * engine.burnfactor);
  ammorate = acidperpull(playerinfo.weapon);
  firetime = 0;
  connecteditem = nullptr;
  criticalhit = false;
  criticaltimer = 0;
  endlevel = 0;
  panelbackground = databitmap(DataPanel);
  panel = create_bitmap(panelbackground->w, panelbackground->h);
  if (!panel) throw "Problem creating bitmaps";
  updatepanel();
}

Ship::~Ship() { destroy_bitmap(panel); }

void Ship::save(std::ostream& out) { saverecord(out, this); }

void Ship::tick(float quantum) {
  CollidesWithScenery::tick(quantum);
  float turndir = criticalhit ? disintegrate(quantum) : obeykeys(quantum);
  turndir *= engineproperties(playerinfo.engine).turnfactor;
  angle += turndir * TurnSpeed * quantum;
  if (angle > Pi) angle -= 2 * Pi;
  if (angle < -Pi) angle += 2 * Pi;
  if (shieldstress > 0) shieldstress -= StressDecay * quantum;
  rechargeshield(quantum);
  checkforitems(quantum);
}

float Ship::obeykeys(float quantum) {
  float turndir = 0;
  if (controlheld(TurnLeft)) turndir = -1;
  if (controlheld(TurnRight)) turndir = 1;  // both held: clockwise wins
  if (controlheld(Thrust)) firerocket(quantum);
  // The cooldown runs before the trigger is read, so a held trigger fires
  // once a second.
  if (firetime > 0) firetime -= quantum;
  if (controlheld(Fire)) firebullet();
  return turndir;
}

float Ship::disintegrate(float quantum) {
  // moo is at most 5, so blasts grow likelier as the timer runs down.
  float moo = static_cast<float>(randombetween(-20, 5));
  if (moo > criticaltimer) makeblast(*this);
  criticaltimer -= quantum;
  if (criticaltimer < 0) {
    dead = true;
    play_sound(DataShipExplodeSound, 500, 255);
    scatterwreck(*this);
  }
  return 1;  // the wreck spins clockwise
}

// Recharging draws on both gases and goes on while disintegrating too. It
// does not redraw the panel; the next burn, shot, hit or transfer does.
void Ship::rechargeshield(float quantum) {
  if (shieldpower < 1 && oxygen > 0 && hydrogen > 0) {
    shieldpower += quantum / ShieldRechargeTime;
    float fuelused = (quantum / ShieldRechargeTime) * burnrate;
    hydrogen -= fuelused;
    oxygen -= fuelused;
  }
}

void Ship::firerocket(float quantum) {
  if (criticalhit) return;
  if (oxygen < 0 || hydrogen < 0) return;  // a store at exactly 0 still burns
  float sa = std::sin(angle);
  float ca = std::cos(angle);
  float impulse = thrust / mass * PixelsPerMetre;
  velocity.x += sa * impulse * quantum;
  velocity.y += -ca * impulse * quantum;
  debristime += quantum;
  if (debristime > ExhaustInterval) {
    debristime = 0;
    emitexhaust(*this, sa, ca);
  }
  float fuelused = quantum * burnrate;
  oxygen -= fuelused;
  hydrogen -= fuelused;
  panelneedsupdate = true;
}

void Ship::firebullet() {
  if (firetime > FireSlack) return;  // cooling down
  if (ammo < 0) return;              // a store at exactly 0 still fires
  makebullet(this, angle);
  // Any further jets go in pairs, each pair SprayAngle further out.
  int pairs = (gunproperties(playerinfo.weapon).jets - 1) / 2;
  for (int pair = 1; pair <= pairs; pair++) {
    makebullet(this, angle - pair * SprayAngle);
    makebullet(this, angle + pair * SprayAngle);
  }
  ammo -= ammorate;  // one charge per trigger pull, however many jets
  panelneedsupdate = true;
  firetime = FireDelay;
}

void Ship::checkforitems(float quantum) {
  connecteditem = nullptr;
  if (velocity.x * velocity.x + velocity.y * velocity.y > MaxPickupSpeed * MaxPickupSpeed) return;
  if (!controlheld(Action) || criticalhit) return;
  // Probe below the ship whatever its heading; the ship itself is 69 pixels
  // from the probe, so only a base or tank nearer than that is found.
  GameObject* nearest = findnearest(position.x, position.y + ProbeDistance);
  StaticObject* item = dynamic_cast<StaticObject*>(nearest);
  if (!item || !(item->capacity > 0)) return;
  float* store = storefor(item->type);
  if (!store) return;
  float amount = quantum * TransferRate;
  if (*store >= 1.0f) return;
  item->capacity -= amount;
  *store += amount;
  panelneedsupdate = true;
  connecteditem = item;
  if (item->capacity < 0 && item->type != PlayerBaseExit) item->sprite = databitmap(DataEmptyTank);
  if (endlevel > DockedEnough) playerinfo.levelcomplete = true;
}

float* Ship::storefor(StaticType type) {
  switch (type) {
    case PlayerBaseExit: return &endlevel;
    case TankHydrogen: return &hydrogen;
    case TankOxygen: return &oxygen;
    case TankHCl:
    case TankHF: {
      // The store holds one acid: drawing the other pours the old one away.
      AmmoType acid = type == TankHF ? Hydrofluoric : Hydrochloric;
      if (ammotype != acid) {
        ammo = 0;
        ammotype = acid;
      }
      return &ammo;
    }
    default: return nullptr;  // the start base gives nothing
  }
}

void Ship::takehit(float strength) {
  if (criticalhit) return;
  float damage = strength / HitScale;
  if (damage > shieldstress) {
    int vol = hitvolume(damage);
    if (vol > 16) play_sound(DataShipHitSound, 1000, vol);
    shieldstress = damage;
  }
  if (damage > 1.0f) {
    shieldpower -= damage / ShieldHitShare;
    panelneedsupdate = true;
    if (shieldpower < 0) blowup();
  }
}

void Ship::collidewithother(CollidesWithScenery* other, float) { other->takehit(CollisionDamage); }

void Ship::blowup() {
  criticalhit = true;
  criticaltimer = DisintegrationTime;
  shieldstress = 0;
}

void Ship::draw() {
  if (connecteditem) drawconnection(position, connecteditem);
  int x = wholepixel(position.x);
  int y = wholepixel(position.y);
  fixed fix_angle = ftofix(angle * RadiansToAllegro);
  rotate_sprite(vscreen, sprite, x - sprite->w / 2, y - sprite->h / 2, fix_angle);
  int r = wholepixel(radius);
  if (shieldstress > 0.25f) drawglow(x, y, r, shieldstress);
  // The whole square the sprite can turn in, glow or not.
  addrect(x - r - 3, y - r - 3, 2 * r + 6, 2 * r + 6);
  if (panelneedsupdate) updatepanel();
  drawpanel();
}

void Ship::updatepanel() {
  blit(panelbackground, panel, 0, 0, 0, 0, panel->w, panel->h);
  drawslider(panel, 30, 4, makecol(192, 0, 0), hydrogen);
  drawslider(panel, 30, 12, makecol(0, 0, 192), oxygen);
  drawslider(panel, 30, 20, getammocolour(ammotype), ammo);
  // Ten half-translucent rings for a full shield, two on each radius, so
  // the rings brighten as well as grow.
  drawing_mode(DRAW_MODE_TRANS, nullptr, 0, 0);
  set_trans_blender(0, 0, 0, 128);
  for (float i = 0; i < shieldpower; i += 0.1f)
    circle(panel, 11, 38, wholepixel(i * 5.0f) + 5, makecol(255, 255, 255));
  drawing_mode(DRAW_MODE_SOLID, nullptr, 0, 0);
  panelneedsupdate = false;
}

void Ship::drawpanel() {
  int x = screenoffsetx + PanelScreenX;
  int y = screenoffsety;
  blit(panel, vscreen, 0, 0, x, y, panel->w, panel->h);
  addrect(x, y, panel->w, panel->h);
}

Particle::Particle() {
  dead = false;
  life = 2.5f;
  colour = makecol(255, 255, 255);
}

void Particle::tick(float quantum) {
  life -= quantum;
  ApplyGravity(this, quantum);
  position.x += velocity.x * quantum;
  position.y += velocity.y * quantum;
  int ix = wholepixel(position.x);
  int iy = wholepixel(position.y);
  if (life < 0) dead = true;
  // Rock two pixels away on a side sends the particle away from it; with
  // rock on both sides the later test wins.
  if (getpixel(collisionmap, ix - 2, iy) != 0) velocity.x = std::fabs(velocity.x) * 0.6f;
  if (getpixel(collisionmap, ix + 2, iy) != 0) velocity.x = -std::fabs(velocity.x) * 0.6f;
  if (getpixel(collisionmap, ix, iy - 2) != 0) velocity.y = std::fabs(velocity.y) * 0.6f;
  if (getpixel(collisionmap, ix, iy + 2) != 0) velocity.y = -std::fabs(velocity.y) * 0.6f;
}

namespace {

// The dot of a particle and its four neighbours lie in this square.
Rect dotsquare(Point at) { return Rect{wholepixel(at.x) - 1, wholepixel(at.y) - 1, 3, 3}; }

// Where an explosion's picture lies, centred on `at`.
Rect blastarea(Point at, const BITMAP* sprite) {
  return Rect{wholepixel(at.x) - sprite->w / 2, wholepixel(at.y) - sprite->h / 2, sprite->w, sprite->h};
}

}  // namespace

bool Particle::seenin(const Rect& window) const { return overlaps(window, dotsquare(position)); }

void Particle::draw() {
  int ix = wholepixel(position.x);
  int iy = wholepixel(position.y);
  // Fades over its last two seconds. In the frame its life runs out it is
  // still drawn with life just below 0: held at fully transparent.
  int trans = 255;
  if (life < 2.0f) trans = std::clamp(wholepixel(life * 128.0f), 0, 255);
  drawing_mode(DRAW_MODE_TRANS, nullptr, 0, 0);
  set_trans_blender(0, 0, 0, trans);
  putpixel(vscreen, ix, iy, colour);
  set_trans_blender(0, 0, 0, trans / 2);
  putpixel(vscreen, ix + 1, iy, colour);
  putpixel(vscreen, ix, iy + 1, colour);
  putpixel(vscreen, ix - 1, iy, colour);
  putpixel(vscreen, ix, iy - 1, colour);
  drawing_mode(DRAW_MODE_SOLID, nullptr, 0, 0);
  addrect(ix - 1, iy - 1, 3, 3);
}

Explosion::Explosion() {
  dead = false;
  life = static_cast<float>(randombetween(15, 80) / 100.0);
  velocity = {0, 0};
  sprite = databitmap(DataExplosion);
}

int Explosion::mirroring() const {
  // A fresh mirroring every frame makes the blast flicker.
  return randombetween(0, 3);
}

bool Explosion::seenin(const Rect& window) const { return overlaps(window, blastarea(position, sprite)); }

void Explosion::unseen() { mirroring(); }

void Explosion::draw() {
  int px = wholepixel(position.x) - sprite->w / 2;
  int py = wholepixel(position.y) - sprite->h / 2;
  switch (mirroring()) {
    case 0: drawsprite(sprite, px, py); return;
    case 1: draw_sprite_h_flip(vscreen, sprite, px, py); break;
    case 2: draw_sprite_v_flip(vscreen, sprite, px, py); break;
    default: draw_sprite_vh_flip(vscreen, sprite, px, py); break;
  }
  addrect(px, py, sprite->w, sprite->h);
}

StaticObject::StaticObject(StaticType s) {
  type = s;
  if (!isstatictype(s)) throw "Unable to get bitmap in StaticObject";
  sprite = databitmap(StaticKinds[s].sprite);
  drawn = false;
  width = sprite->w;
  height = sprite->h;
  dead = false;
  capacity = 1.0f;
}

Rect StaticObject::area() const {
  return Rect{wholepixel(position.x) - width / 2, wholepixel(position.y) - height, width, height};
}

bool StaticObject::seenin(const Rect& window) const { return overlaps(window, area()); }

void StaticObject::draw() {
  const Rect r = area();
  // Drawn every frame but registered once: it never moves, so vscreen may
  // keep its picture (the editor resets `drawn` after moving it).
  draw_sprite(vscreen, sprite, r.x, r.y);
  if (!drawn) {
    addrect(r.x, r.y, r.w, r.h);
    drawn = true;
  }
}

void StaticObject::save(std::ostream& out) { saverecord(out, this); }

void StaticObject::drawtocollisionmap() {
  const Rect r = area();
  spritetocollisionmap(sprite, r.x, r.y, StaticStampBase + type);
}
