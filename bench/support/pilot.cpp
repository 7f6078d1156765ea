#include "support/pilot.h"

#include <allegro.h>
#include <unistd.h>

#include <fstream>

long residentkb() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

void ScriptedPilot::choose() {
  std::uniform_real_distribution<float> length(0.1f, 1.5f);
  std::uniform_int_distribution<int> coin(0, 99);
  spell = length(random);
  int turn = coin(random);
  key[KEY_LEFT] = turn < 30;
  key[KEY_RIGHT] = turn >= 30 && turn < 60;
  // Thrust a little over half the time: enough to climb against gravity.
  key[KEY_UP] = coin(random) < 55;
  key[KEY_LCONTROL] = coin(random) < 40;
  key[KEY_SPACE] = coin(random) < 30;
}

void ScriptedPilot::step(float seconds) {
  spell -= seconds;
  if (spell <= 0) choose();
}

void ScriptedPilot::release() {
  for (int k : {KEY_LEFT, KEY_RIGHT, KEY_UP, KEY_LCONTROL, KEY_SPACE}) key[k] = 0;
  spell = 0;
}
