#include "shot.h"

#include "data.h"
#include "gamedata.h"
#include "manager.h"
#include "map.h"

namespace {

// Toughness of a fresh drop: one hit above 40 bursts it.
const float ShotHitPoints = 1.0f;
const float ShotMass = 1000.0f;
const int BurstParticles = 5;
// Fastest splash particle, pixels per second on each axis.
const int BurstSpeed = 40;

// Firing is a short high chirp; a burst is the same sample at its own pitch.
void playfiresound() { play_sound(DataShotSound, 2000, 128); }
void playburstsound() { play_sound(DataShotSound, 1000, 255); }

}  // namespace

Shot::Shot(GameObject* newowner)
    : hp(ShotHitPoints),
      life(ShotLife),
      colour(makecol(255, 255, 255)),
      damage(ShotDamage),
      owner(newowner) {
  radius = ShotRadius;
  mass = ShotMass;
  dead = false;
  playfiresound();
}

void Shot::tick(float quantum) {
  CollidesWithScenery::tick(quantum);
  // Running out of time is silent: no splash, no sound.
  life -= quantum;
  if (life < 0) dead = true;
}

void Shot::takehit(float strength) {
  hp -= strength / HitScale;
  if (hp < 0) burst();
}

void Shot::burst() {
  dead = true;
  playburstsound();
  for (int i = 0; i < BurstParticles; i++) {
    Particle* p = makeparticle(position, BurstSpeed);
    p->colour = colour;
    addobject(p);
  }
  Explosion* e = new Explosion();
  e->position = position;
  addobject(e);
}

void Shot::collidewithother(CollidesWithScenery* other, float) {
  // No immunity for the firer: a drop that falls back on it hurts it too.
  other->takehit(damage);
}

Rect Shot::square() const {
  int r = wholepixel(radius);
  return Rect{wholepixel(position.x) - (r + 1), wholepixel(position.y) - (r + 1), 2 * (r + 1), 2 * (r + 1)};
}

bool Shot::seenin(const Rect& window) const { return overlaps(window, square()); }

void Shot::draw() {
  int px = wholepixel(position.x);
  int py = wholepixel(position.y);
  int r = wholepixel(radius);
  // A half-transparent drop around a solid core.
  drawing_mode(DRAW_MODE_TRANS, nullptr, 0, 0);
  set_trans_blender(0, 0, 0, 128);
  circlefill(vscreen, px, py, r, colour);
  drawing_mode(DRAW_MODE_SOLID, nullptr, 0, 0);
  circlefill(vscreen, px, py, r / 2, colour);
  const Rect s = square();
  addrect(s.x, s.y, s.w, s.h);
}
