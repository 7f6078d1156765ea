// Fuzzes levelcheck's way through a level: Map::load, drawcave, InitObjects,
// then collectobjects, every check, the report lines and the overview. An
// input is a map file, a line "%%", then an objects file. The level is 320
// by 160, not 2560 square: no check depends on the level's size, and the
// reach check's distance transform costs in proportion to its area. It is
// no narrower, so that the overview's markers scale by at most 2, as far
// objects (a billion pixels off) need to stay within an int.

#include <algorithm>
#include <cstdlib>
#include <string>

#include "checks.h"
#include "levelcheck/loadlevel.h"
#include "levelcheck/picture.h"
#include "manager.h"
#include "map.h"
#include "support/fuzz_support.h"
#include "support/testsupport.h"

namespace {

const int Width = 320, Height = 160;
BITMAP* rock = nullptr;  // the cave-only collision map, as loadlevel keeps it

void checkloaded(const std::string& objpath) {
  // Objects are still collected after a bad record: loadlevel reports the
  // ones before it.
  quietly([&] { InitObjects(objpath.c_str()); });
  CheckedLevel level{rock, collisionmap, collectobjects()};
  for (const Problem& p : checklevel(level)) describe(p, level);
  describe(Problem{int(level.objects.size()) + 1, "a failed record"}, level);
  destroy_bitmap(makeoverview(background, level, Grid()));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  makeworld(Width, Height);
  rock = create_bitmap_ex(8, Width, Height);
  if (!rock) abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t at = std::min(input.find("\n%%\n"), size);  // the end when there is no objects file
  const std::string mapfile = input.substr(0, at + 1), objectsfile = input.substr(std::min(at + 4, size));
  const std::string mappath = writeinput(mapfile.data(), mapfile.size(), "lcmap");
  const std::string objpath = writeinput(objectsfile.data(), objectsfile.size(), "lcobjects");
  initmanager();
  clear_to_color(background, 0);
  Map map;
  if (quietly([&] { map.load(mappath.c_str()); }).empty()) {
    map.drawcave();
    blit(collisionmap, rock, 0, 0, 0, 0, rock->w, rock->h);
    checkloaded(objpath);
  }
  initmanager();
  return 0;
}
