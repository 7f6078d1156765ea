// Fuzzes the objects file reader: InitObjects on arbitrary bytes in the
// cave of level 1, then a few frames of the world it made (ticks, object
// collisions, camera, drawing) before initmanager frees everything again.

#include <cstdio>
#include <cstdlib>

#include "manager.h"
#include "map.h"
#include "support/fuzz_support.h"
#include "support/testsupport.h"

static BITMAP* cave = nullptr;  // level 1's collision map before any object is stamped

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  makeworld(2560, 2560);
  Map map;
  map.load((sourcedir() + "/levels/level1.txt").c_str());
  map.drawcave();
  cave = create_bitmap_ex(8, collisionmap->w, collisionmap->h);
  if (!cave) abort();
  blit(collisionmap, cave, 0, 0, 0, 0, cave->w, cave->h);
  releaseallkeys();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string path = writeinput(data, size, "objects");
  initmanager();
  dirtyrectangles.clear();
  blit(cave, collisionmap, 0, 0, 0, 0, cave->w, cave->h);
  quietly([&] { InitObjects(path.c_str()); });
  std::remove(path.c_str());
  playframes(3);
  initmanager();
  return 0;
}
