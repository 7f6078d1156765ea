#include "playerinfo.h"

#include "items.h"

PlayerInfo playerinfo;

void PlayerInfo::init() {
  score = 0;
  money = 0;
  engine = EngineMk1;
  weapon = PlainAcidGun;
  levelcomplete = false;
}
