#include "levelcheck/loadlevel.h"

#include <fstream>
#include <iostream>
#include <sstream>

#include "manager.h"
#include "map.h"

namespace {

// Keeps the objects file's "Object type" trace lines out of the report.
class QuietStdout {
 public:
  QuietStdout() : saved(std::cout.rdbuf(sink.rdbuf())) {}
  ~QuietStdout() { std::cout.rdbuf(saved); }

 private:
  std::ostringstream sink;
  std::streambuf* saved;
};

BITMAP* copybitmap(BITMAP* source) {
  BITMAP* copy = create_bitmap_ex(bitmap_color_depth(source), source->w, source->h);
  if (!copy) throw "Problem creating bitmaps";
  blit(source, copy, 0, 0, 0, 0, source->w, source->h);
  return copy;
}

bool loadcave(const char* mapfile, LoadedLevel& loaded, Problem& error) {
  try {
    initcave(mapfile);
    loaded.level.rock = copybitmap(collisionmap);
    loaded.level.solid = collisionmap;
    loaded.level.cave = &levelmap().getpolygons();  // good until the next initcave
  } catch (const char* message) {
    error = {0, std::string(mapfile) + ": " + message};
    return false;
  }
  return true;
}

bool loadobjects(const char* objectsfile, Problem& error) {
  // Only a file that opens has records to blame.
  const bool opens = std::ifstream(objectsfile).good();
  try {
    QuietStdout quiet;
    InitObjects(objectsfile);
  } catch (const char* message) {
    error = {opens ? int(newobjects.size()) + 1 : 0, std::string(objectsfile) + ": " + message};
    return false;
  }
  return true;
}

}  // namespace

LoadedLevel::~LoadedLevel() {
  if (level.rock) destroy_bitmap(level.rock);
  initmanager();  // the world manager owns the objects the level made
}

std::vector<LevelObject> collectobjects() { return describeobjects(newobjects); }

bool loadlevel(const char* mapfile, const char* objectsfile, LoadedLevel& loaded, Problem& error) {
  if (!loadcave(mapfile, loaded, error) || !loadobjects(objectsfile, error)) return false;
  loaded.level.objects = collectobjects();
  return true;
}
