#pragma once

#include "classes.h"

// Kinds of wibblet; the numbers appear in objects files and are the grade
// in the formulas of hit points, burst size and reward.
enum EnemyType {
  BlueStaticWibblet = 1,
  OrangeWibblet = 2,
  YellowWibblet = 3,
  GreenWibblet = 4
};
constexpr int NumEnemyTypes = 4;

// True for the numbers of EnemyType; an objects file may hold any number.
bool isenemytype(int type);
// What the designer and the player call a kind of wibblet: "blue wibblet", ...
const char* enemyname(EnemyType type);
// Allegro colour of a kind's drops and death particles, at the colour depth
// set when it is called.
int enemycolour(EnemyType type);
// Speed of a kind's drops as they leave it, px/s.
float enemyshotspeed(EnemyType type);
// How many hits of `strength` kill a fresh wibblet of a kind; 0 when such a
// hit does it no harm.
int hitstokill(EnemyType type, float strength);

// A wibblet fires at the ship while the ship's centre is within this many
// pixels of its own.
constexpr float WibbletRange = 500.0f;
// A wibblet heads for home at this speed, px/s, steering toward that
// velocity at this many px/s^2 on each axis (beating gravity's 40, so it
// holds itself up); within this many squared pixels of home it keeps its
// heading, so it wobbles about home rather than settling on it.
constexpr float WibbletCruise = 50.0f;
constexpr float WibbletSteering = 80.0f;
constexpr float WibbletHomeSlack = 10.0f;

// A wibblet: hovers around its home and fires bursts at the ship in range.
class Enemy : public CollidesWithScenery {
 public:
  float hp;
  BITMAP* sprite;  // borrowed from the data file
  EnemyType type;

  // Throws "Unknown enemy type" for a type outside 1 to 4.
  explicit Enemy(EnemyType newtype);
  void draw() override;
  bool seenin(const Rect& window) const override;
  void tick(float quantum) override;
  void save(std::ostream& out) override;
  void takehit(float strength) override;
  void collidewithother(CollidesWithScenery* other, float strength) override;

 private:
  float thinktime;
  bool started;
  Point targetpos;
  Point targetvelocity;
  float maxspeed;
  float maxaccel;
  int colour;
  int ammo;
  int maxammo;
  float firetime;
  float maxfiretime;
  float maxreloadtime;

  void think();
  void fire();
  // One step of acceleration towards targetvelocity on each axis.
  void steer(float quantum);
  // Pays the reward, scatters the blasts and sets dead.
  void die();
  // The four particles around one death blast.
  void scatterparticles(Point at);
};
