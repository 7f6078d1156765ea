// Fuzzes levelcheck's way through a level: the game's Map::load,
// Map::drawcave and InitObjects on the two files, then levelcheck's own
// collectobjects, every check, the report lines and the overview picture.
// An input is a map file, a line "%%", then an objects file. The level is
// 640x640 instead of 2560x2560 (and the rock texture is left out): the
// reach check's distance transform is sixteen times cheaper, so the fuzzer
// gets through more than a handful of inputs a second.

#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>

#include "levelcheck/checks.h"
#include "levelcheck/loadlevel.h"
#include "levelcheck/picture.h"
#include "manager.h"
#include "map.h"
#include "support/hardening_support.h"
#include "support/testsupport.h"

namespace {

const int WorldSize = 640;
BITMAP* rock = nullptr;  // the cave-only collision map, as loadlevel keeps it

void splitinput(const std::string& input, std::string& mapfile, std::string& objectsfile) {
  size_t at = input.find("\n%%\n");
  if (at == std::string::npos) {
    mapfile = input;
    objectsfile.clear();
  } else {
    mapfile = input.substr(0, at + 1);
    objectsfile = input.substr(at + 4);
  }
}

bool loadcave(const std::string& path) {
  Map map;
  try {
    map.load(path.c_str());
  } catch (const char*) {
    return false;
  }
  map.drawcave();
  blit(collisionmap, rock, 0, 0, 0, 0, rock->w, rock->h);
  return true;
}

bool loadobjects(const std::string& path) {
  std::ostringstream trace;
  std::streambuf* saved = std::cout.rdbuf(trace.rdbuf());
  bool ok = true;
  try {
    InitObjects(path.c_str());
  } catch (const char*) {
    ok = false;
  }
  std::cout.rdbuf(saved);
  return ok;
}

void checkloaded() {
  CheckedLevel level;
  level.rock = rock;
  level.solid = collisionmap;
  level.objects = collectobjects();
  std::vector<Problem> problems = checklevel(level);
  for (const Problem& p : problems) describe(p, level);
  describe(Problem{int(level.objects.size()) + 1, "a failed record"}, level);
  BITMAP* overview = makeoverview(background, level, Grid());
  destroy_bitmap(overview);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  makeworld(WorldSize, WorldSize);
  rock = create_bitmap_ex(8, WorldSize, WorldSize);
  if (!rock) abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string mapfile, objectsfile;
  splitinput(std::string(reinterpret_cast<const char*>(data), size), mapfile, objectsfile);
  std::string mappath = writeinput(reinterpret_cast<const uint8_t*>(mapfile.data()), mapfile.size(), "lcmap");
  std::string objpath =
      writeinput(reinterpret_cast<const uint8_t*>(objectsfile.data()), objectsfile.size(), "lcobjects");
  initmanager();
  clear_to_color(background, 0);
  // Objects are still collected after a bad record: loadlevel reports the
  // ones before it.
  if (loadcave(mappath)) {
    loadobjects(objpath);
    checkloaded();
  }
  std::remove(mappath.c_str());
  std::remove(objpath.c_str());
  initmanager();
  return 0;
}
