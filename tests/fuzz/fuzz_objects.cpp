// Fuzzes the objects file reader: InitObjects on arbitrary bytes in the
// cave of level 1, then a few frames of the world it made (ticks, object
// collisions, camera, drawing) before initmanager frees everything again.

#include <allegro.h>

#include <cstdio>
#include <iostream>
#include <sstream>

#include "manager.h"
#include "map.h"
#include "playerinfo.h"
#include "support/hardening_support.h"
#include "support/testsupport.h"

namespace {

BITMAP* cave = nullptr;  // level 1's collision map before any object is stamped

const int Frames = 3;

void drawlevelone() {
  makeworld(2560, 2560);
  Map map;
  map.load((sourcedir() + "/levels/level1.txt").c_str());
  map.drawcave();
  cave = create_bitmap_ex(8, collisionmap->w, collisionmap->h);
  if (!cave) abort();
  blit(collisionmap, cave, 0, 0, 0, 0, cave->w, cave->h);
}

void playframes() {
  for (int i = 0; i < Frames; i++) {
    tickall(0.05f);
    track();
    drawobjects();
    restorerects();
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  drawlevelone();
  releaseallkeys();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string path = writeinput(data, size, "objects");
  initmanager();
  dirtyrectangles.clear();
  blit(cave, collisionmap, 0, 0, 0, 0, cave->w, cave->h);
  std::ostringstream trace;
  std::streambuf* saved = std::cout.rdbuf(trace.rdbuf());
  try {
    InitObjects(path.c_str());
  } catch (const char*) {
  }
  std::cout.rdbuf(saved);
  std::remove(path.c_str());
  playframes();
  initmanager();
  return 0;
}
