// Fuzzes the objects file reader: InitObjects on arbitrary bytes in the
// cave of level 1, then a few frames of the world it made (ticks, object
// collisions, camera, drawing) before initmanager frees everything again.

#include <cstdlib>

#include "levelcheck/loadlevel.h"
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
  quietly([&] { InitObjects(path.c_str()); });
  // Only bases and tanks mark the collision map, each under its own picture:
  // copying the cave back under them alone is far cheaper than a whole
  // 2560-square copy per input.
  const std::vector<LevelObject> objects = collectobjects();
  playframes(3);
  initmanager();
  for (const LevelObject& o : objects)
    if (o.letter == 'T' && o.sprite)
      blit(cave, collisionmap, o.x - o.sprite->w / 2 - 2, o.y - o.sprite->h - 2, o.x - o.sprite->w / 2 - 2,
           o.y - o.sprite->h - 2, o.sprite->w + 4, o.sprite->h + 4);
  return 0;
}
