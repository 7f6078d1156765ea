#include "enemies.h"

#include <cmath>
#include <ostream>

#include "data.h"
#include "gamedata.h"
#include "manager.h"
#include "map.h"
#include "playerinfo.h"
#include "randomness.h"
#include "shot.h"

namespace {

// Strength of the hit a wibblet deals to whatever non-wibblet touches it.
const float CollisionDamage = 75.0f;
// Damage of every drop a wibblet fires.
const float EnemyShotDamage = 50.0f;
// Firing range, compared squared.
const float MaxRangeSquared = WibbletRange * WibbletRange;
// Speed of a wibblet's drop; the green kind fires twice as fast.
const float EnemyShotSpeed = 120.0f;

const float EnemyMass = 5000.0f;
// Seconds between the drops of a burst, and the pause after a burst.
const float MaxFireTime = 0.5f;
const float MaxReloadTime = 5.0f;
// A hit's strength / HitScale must exceed 1 to harm; a quarter of that
// comes off hp.
const float HitShare = 4.0f;
const int DeathBlasts = 10;
const int ParticlesPerBlast = 4;
const int ParticleSpeed = 10;

// What sets one kind of wibblet apart from the others.
struct EnemyKind {
  const char* name;      // what the designer and the player call it
  DataEntry sprite;
  int red, green, blue;  // colour of its drops and death particles
  float hp;              // dies below 0
  int maxammo;           // drops per burst
  float shotspeedscale;  // times EnemyShotSpeed
  int reward;            // paid into both score and money
};

// Indexed by EnemyType - 1.
const EnemyKind kinds[] = {
    // BlueStaticWibblet: weakest, single drops.
    {"blue wibblet", DataBlueWibblet, 0, 0, 255, 1.5f, 1, 1.0f, 20},
    // OrangeWibblet: bursts of two.
    {"orange wibblet", DataOrangeWibblet, 255, 192, 0, 3.0f, 2, 1.0f, 40},
    // YellowWibblet: bursts of three.
    {"yellow wibblet", DataYellowWibblet, 255, 255, 0, 4.5f, 3, 1.0f, 60},
    // GreenWibblet: toughest, bursts of four, drops at double speed.
    {"green wibblet", DataGreenWibblet, 0, 255, 0, 6.0f, 4, 2.0f, 80},
};

static_assert(sizeof(kinds) / sizeof(kinds[0]) == NumEnemyTypes, "a row for every EnemyType");

const EnemyKind& kindof(EnemyType type) { return kinds[type - BlueStaticWibblet]; }

}  // namespace

bool isenemytype(int type) { return type >= BlueStaticWibblet && type < BlueStaticWibblet + NumEnemyTypes; }

const char* enemyname(EnemyType type) { return kindof(type).name; }

int enemycolour(EnemyType type) {
  const EnemyKind& kind = kindof(type);
  return makecol(kind.red, kind.green, kind.blue);
}

float enemyshotspeed(EnemyType type) { return EnemyShotSpeed * kindof(type).shotspeedscale; }

int hitstokill(EnemyType type, float strength) {
  // As takehit takes it off, hit by hit.
  const float damage = strength / HitScale;
  if (damage <= 1.0f) return 0;
  int hits = 0;
  for (float hp = kindof(type).hp; hp >= 0; hits++) hp -= damage / HitShare;
  return hits;
}

Enemy::Enemy(EnemyType newtype) {
  // A hand-edited objects file can name any number; only 1 to 4 exist.
  if (!isenemytype(newtype)) throw "Unknown enemy type";
  const EnemyKind& kind = kindof(newtype);
  dead = false;
  type = newtype;
  mass = EnemyMass;
  colour = enemycolour(newtype);
  sprite = databitmap(kind.sprite);
  radius = static_cast<float>(sprite->w / 2);
  velocity = {0, 0};
  targetvelocity = {0, 0};
  hp = kind.hp;
  // Both timers start at 0, so the first tick thinks and tries to fire.
  thinktime = 0;
  started = false;
  targetpos = {0, 0};
  maxspeed = WibbletCruise;
  maxaccel = WibbletSteering;
  maxammo = kind.maxammo;
  ammo = maxammo;
  maxfiretime = MaxFireTime;
  maxreloadtime = MaxReloadTime;
  firetime = 0;
}

void Enemy::tick(float quantum) {
  CollidesWithScenery::tick(quantum);
  thinktime -= quantum;
  steer(quantum);
  if (thinktime < 0) think();
  firetime -= quantum;
  if (firetime < 0) fire();
}

void Enemy::steer(float quantum) {
  // Never settles: one step of acceleration either way every tick.
  float step = maxaccel * quantum;
  velocity.x += velocity.x > targetvelocity.x ? -step : step;
  velocity.y += velocity.y > targetvelocity.y ? -step : step;
}

void Enemy::think() {
  // Home is where the first physics step left the wibblet.
  if (!started) {
    targetpos = position;
    started = true;
  }
  float dx = targetpos.x - position.x;
  float dy = targetpos.y - position.y;
  float distsq = dx * dx + dy * dy;
  if (distsq > WibbletHomeSlack) {
    float dist = std::sqrt(distsq);
    targetvelocity = {dx / dist * maxspeed, dy / dist * maxspeed};
  }
  // A whole number of seconds: 1, or 2 on one draw in eleven.
  thinktime = static_cast<float>(randombetween(10, 20) / 10);
}

void Enemy::fire() {
  // Without a ship, or with it out of range, firetime stays negative and
  // the next tick tries again.
  if (!playership) return;
  if (ammo < 1) {
    firetime = maxreloadtime;
    ammo = maxammo;
    return;
  }
  float dx = playership->position.x - position.x;
  float dy = playership->position.y - position.y;
  float distsq = dx * dx + dy * dy;
  // A ship sitting exactly on the wibblet gives no direction to aim in.
  if (distsq > MaxRangeSquared || distsq == 0) return;
  float speed = enemyshotspeed(type) / std::sqrt(distsq);
  Shot* shot = new Shot(this);
  shot->position = position;
  shot->velocity = {dx * speed, dy * speed};
  shot->colour = colour;
  shot->damage = EnemyShotDamage;
  addobject(shot);
  firetime = maxfiretime;
  ammo -= 1;
}

void Enemy::takehit(float strength) {
  // Already dying: later hits in the same frame must not pay out again.
  if (hp < 0) return;
  float damage = strength / HitScale;
  if (damage <= 1.0f) return;
  hp -= damage / HitShare;
  if (hp < 0) die();
}

void Enemy::die() {
  play_sound(DataEnemyDeathSound, 1000, 255);
  playerinfo.score += kindof(type).reward;
  playerinfo.money += kindof(type).reward;
  int r = wholepixel(radius);
  for (int i = 0; i < DeathBlasts; i++) {
    Explosion* blast = new Explosion();
    blast->position.x = position.x + static_cast<float>(randombetween(-r, r));
    blast->position.y = position.y + static_cast<float>(randombetween(-r, r));
    blast->sprite = databitmap(DataEnemyExplosion);
    addobject(blast);
    scatterparticles(blast->position);
  }
  dead = true;
}

void Enemy::scatterparticles(Point at) {
  for (int i = 0; i < ParticlesPerBlast; i++) {
    Particle* p = makeparticle(at, ParticleSpeed);
    p->colour = colour;
    addobject(p);
  }
}

void Enemy::collidewithother(CollidesWithScenery* other, float) {
  // Wibblets never harm each other by touch; the bounce is the manager's.
  if (dynamic_cast<Enemy*>(other)) return;
  other->takehit(CollisionDamage);
}

bool Enemy::seenin(const Rect& window) const {
  const Rect picture{wholepixel(position.x) - sprite->w / 2, wholepixel(position.y) - sprite->h / 2, sprite->w,
                     sprite->h};
  return overlaps(window, picture);
}

void Enemy::draw() {
  int px = wholepixel(position.x) - sprite->w / 2;
  int py = wholepixel(position.y) - sprite->h / 2;
  drawsprite(sprite, px, py);
}

void Enemy::save(std::ostream& out) { saverecord(out, this); }
