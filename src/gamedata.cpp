#include "gamedata.h"

DATAFILE* datafile = nullptr;

void play_sound(int soundid, int speed, int vol) {
  if (!datafile) return;
  play_sample(static_cast<SAMPLE*>(datafile[soundid].dat), vol, 128, speed, 0);
}
