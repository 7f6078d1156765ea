#include "support/enemies_support.h"

#include "manager.h"
#include "playerinfo.h"
#include "shot.h"
#include "support/testsupport.h"

HitRecorder::HitRecorder(float x, float y, float r) {
  position = {x, y};
  velocity = {0, 0};
  radius = r;
  mass = 1000.0f;
}

void freshworld(int w, int h) {
  makeworld(w, h);
  initmanager();
  playership = nullptr;
  playerinfo.init();
}

std::vector<Shot*> newshots() {
  std::vector<Shot*> shots;
  for (GameObject* obj : newobjects)
    if (Shot* s = dynamic_cast<Shot*>(obj)) shots.push_back(s);
  return shots;
}

int countexplosions() {
  int n = 0;
  for (Particle* p : particles)
    if (dynamic_cast<Explosion*>(p)) n++;
  return n;
}

int countplainparticles() { return static_cast<int>(particles.size()) - countexplosions(); }
