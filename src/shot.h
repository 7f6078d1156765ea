#pragma once

#include "classes.h"

// Default damage of a shot.
constexpr float ShotDamage = 100.0f;
// Radius of a drop, pixels, and the seconds it flies before it dries up.
constexpr float ShotRadius = 3.0f;
constexpr float ShotLife = 6.0f;

// A drop of acid fired by the ship or a wibblet. Flies in an arc, bursts on
// hits above its toughness, expires silently after 6 seconds.
class Shot : public CollidesWithScenery {
 public:
  float hp;      // bursts below 0
  float life;    // seconds left
  int colour;    // Allegro colour of the drop and its burst
  float damage;  // strength of the hit it deals on contact

  // Plays the firing sound. The firer sets position, velocity, colour, damage.
  explicit Shot(GameObject* newowner);
  void draw() override;
  bool seenin(const Rect& window) const override;
  void tick(float quantum) override;
  void takehit(float strength) override;
  void collidewithother(CollidesWithScenery* other, float strength) override;

 private:
  GameObject* owner;  // who fired it; not owned, may be gone

  // Splashes: five particles and an explosion, then dead.
  void burst();
  // The square the drop's circles lie in.
  Rect square() const;
};
