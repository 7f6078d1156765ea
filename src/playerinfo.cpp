#include "playerinfo.h"

PlayerInfo playerinfo;

void PlayerInfo::init() {
  score = 0;
  money = 0;
  engine = 1;
  weapon = 1;
  levelcomplete = false;
}
