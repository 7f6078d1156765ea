#include "gamedata.h"

DATAFILE* datafile = nullptr;

BITMAP* databitmap(int entry) { return static_cast<BITMAP*>(datafile[entry].dat); }

void play_sound(int soundid, int speed, int vol) {
  if (!datafile) return;
  play_sample(static_cast<SAMPLE*>(datafile[soundid].dat), vol, 128, speed, 0);
}
