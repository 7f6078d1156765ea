#pragma once

#include <allegro.h>

#include <iosfwd>

// Shared geometry and the world-object class tree. Units everywhere: pixels
// of the level picture (x right, y down), pixels per second, seconds.

struct Point {
  float x;
  float y;
};

// A dirty rectangle in world pixels.
struct Rect {
  int x, y, w, h;
};

// Whether two rectangles share a pixel; an empty one shares none.
bool overlaps(const Rect& a, const Rect& b);

// Which acid the ship's store holds. Hydrofluoric does three times the damage.
enum AmmoType { Hydrochloric = 0, Hydrofluoric = 1 };

// Bases and tanks; the numbers appear in objects files.
enum StaticType {
  PlayerBaseExit = 0,
  TankHydrogen = 1,
  TankOxygen = 2,
  TankHCl = 3,
  TankHF = 4,
  PlayerBaseStart = 5
};
constexpr int NumStaticTypes = 6;

// True for the numbers of StaticType; an objects file may hold any number.
bool isstatictype(int type);
// What the designer and the player call a kind of base or tank: "exit
// base", "hydrogen tank", ...
const char* staticname(StaticType type);

// A base or tank marks its opaque pixels in collisionmap with this value
// plus its StaticType, so every one of them is solid.
constexpr int StaticStampBase = 8;

// The ship's collision radius, and how far below its centre (whatever its
// heading) it looks for a base or tank to draw from; pixels.
constexpr float ShipRadius = 23.0f;
constexpr float ProbeDistance = 3 * ShipRadius;

// Bodies divide the strength of a hit by this: the ship and the wibblets
// take harm only from hits above it, and one such hit bursts a fresh shot.
constexpr float HitScale = 40.0f;
// A harmful hit's damage (its strength / HitScale) over this comes off the
// ship's shield.
constexpr float ShieldHitShare = 8.0f;

// Martian gravity on every falling body, px/s^2.
constexpr float Gravity = 40.0f;

// The ship with the Mk1 engine and the plain gun (items.h scales the
// engine's figures): the rocket's push, px/s^2; the turning speed, rad/s
// (a turn in 4 s); the speed of its drops from the nose, px/s on top of the
// ship's own; and the seconds between two shots.
constexpr float RocketAcceleration = 120.0f;
constexpr float TurnSpeed = 1.5707964f;
constexpr float ShipShotSpeed = 120.0f;
constexpr float FireDelay = 1.0f;

// Everything that exists in a running level. Created with new, handed to
// addobject, which owns it; it ends by setting `dead`.
class GameObject {
 public:
  Point position{0, 0};  // centre, or for a StaticObject the middle of its bottom edge
  Point velocity{0, 0};  // pixels per second
  bool dead = false;

  // Paints into vscreen at the world position and registers every painted
  // rectangle with addrect.
  virtual void draw() = 0;
  // Whether draw() may paint a pixel of `window` (world pixels). The manager
  // draws only what the screen shows; by default an object is always drawn.
  virtual bool seenin(const Rect& window) const;
  // Called instead of draw() in a frame in which the object is out of sight:
  // whatever its drawing does besides painting. By default nothing.
  virtual void unseen();
  // Advances the object by `quantum` seconds (at most 0.05).
  virtual void tick(float quantum);
  virtual ~GameObject();
  // Writes the object's objects-file record; most objects write nothing.
  virtual void save(std::ostream& out);
};

// A circular body with a mass: falls, moves and bounces off rock.
class CollidesWithScenery : public GameObject {
 public:
  float radius = 0;  // pixels
  float mass = 0;

  // Gravity, movement by velocity, then the rock test.
  void tick(float quantum) override;
  // Receives a hit; each class scales `strength` by its own rule.
  virtual void takehit(float strength);
  // Told of a contact with another body; `strength` is the approach speed
  // along the line of centres (zero or negative).
  virtual void collidewithother(CollidesWithScenery* other, float strength);
  // Tests the outline of the body's circle against collisionmap and bounces
  // off solid pixels, calling takehit with the impact speed.
  void collidedetect();
};

// A world coordinate as a whole pixel: truncated toward zero like a plain
// cast, but clamped to +-1e9 (far outside any level, with room left for the
// sums drawing does) and 0 for NaN, so a runaway object can never make the
// conversion undefined.
int wholepixel(float v);

// True when pixel (x, y) lies inside the sprite and is not its mask colour:
// the pixels masked drawing paints, and a base or tank stamps as solid.
bool opaquepixel(BITMAP* sprite, int x, int y);

// Adds Martian gravity (40 px/s^2) for `quantum` seconds to obj's velocity.
void ApplyGravity(GameObject* obj, float quantum);

// Allegro colour of an acid: yellow for hydrochloric, green for hydrofluoric.
int getammocolour(AmmoType ammotype);
// Strength of the hit a drop of the ship's acid deals.
float aciddamage(AmmoType ammotype);

// The player's ship. Reads the keys, burns fuel, fires acid, draws from
// tanks and docks at the exit base. Owns its instrument panel bitmap;
// throws a text error when the panel cannot be created.
class Ship : public CollidesWithScenery {
 public:
  float angle;         // radians, 0 nose up, positive clockwise, within -pi..pi
  float thrust;        // rocket force; acceleration is thrust / mass m/s^2
  float shieldstress;  // hardest recent hit, decays by 3 per second
  float shieldpower;   // 1.0 full; below 0 the ship disintegrates
  BITMAP* sprite;      // borrowed from the data file
  float hydrogen;      // stores, 1.0 full
  float oxygen;
  float ammo;
  AmmoType ammotype;

  Ship();
  ~Ship() override;
  Ship(const Ship&) = delete;  // owns its panel bitmap
  Ship& operator=(const Ship&) = delete;
  void draw() override;
  void tick(float quantum) override;
  void save(std::ostream& out) override;
  void takehit(float strength) override;
  void collidewithother(CollidesWithScenery* other, float strength) override;

 private:
  float debristime;
  BITMAP* panel;
  BITMAP* panelbackground;
  bool panelneedsupdate;
  float burnrate;
  float firetime;
  float ammorate;
  GameObject* connecteditem;
  bool criticalhit;
  float criticaltimer;
  float endlevel;

  // One tick's steering while flying or disintegrating; each returns the
  // turn direction (-1 anticlockwise, +1 clockwise, 0 none).
  float obeykeys(float quantum);
  float disintegrate(float quantum);
  void rechargeshield(float quantum);
  void firerocket(float quantum);
  void firebullet();
  void checkforitems(float quantum);
  // The store a base or tank fills, switching acid first when it must; null
  // for the start base.
  float* storefor(StaticType type);
  void blowup();
  void drawpanel();
  void updatepanel();
};

// A glowing dot that falls, bounces off rock, fades and vanishes.
class Particle : public GameObject {
 public:
  float life;  // seconds left
  int colour;  // Allegro colour value

  Particle();
  void draw() override;
  bool seenin(const Rect& window) const override;
  void tick(float quantum) override;
};

// A new white particle at `at`, moving at random up to `speed` px/s on each
// axis (x drawn first). The caller may change its colour or life, then
// hands it to addobject.
Particle* makeparticle(Point at, int speed);

// A particle that shows a randomly mirrored explosion picture instead.
class Explosion : public Particle {
 public:
  BITMAP* sprite;  // borrowed from the data file

  Explosion();
  void draw() override;
  bool seenin(const Rect& window) const override;
  // Draws the mirroring all the same, so that the shared random sequence
  // runs on as if it had been drawn.
  void unseen() override;

 private:
  // This frame's mirroring, 0 to 3, from the shared random source.
  int mirroring() const;
};

// A base or tank standing on the cave floor at `position`.
class StaticObject : public GameObject {
 public:
  StaticType type;
  BITMAP* sprite;   // current picture, borrowed
  int width;        // size of the picture chosen at construction
  int height;
  bool drawn;       // rectangle registered once already
  float capacity;   // what is left to draw, 1.0 full

  // Throws "Unable to get bitmap in StaticObject" for an unknown type.
  explicit StaticObject(StaticType s);
  void draw() override;
  bool seenin(const Rect& window) const override;
  void save(std::ostream& out) override;
  // Stamps the opaque pixels into collisionmap as StaticStampBase + type.
  void drawtocollisionmap();
  // Where its picture lies: the middle of the bottom edge on `position`.
  Rect area() const;
};
