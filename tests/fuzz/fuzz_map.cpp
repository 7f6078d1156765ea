// Fuzzes the level map reader: Map::load on arbitrary bytes, and whatever
// loads is drawn with Map::drawcave. The level is 640 square, not 2560: the
// fill clips polygons the same way at any picture size, and the bigger
// picture only made each input slower.

#include <cstdlib>

#include "map.h"
#include "support/fuzz_support.h"
#include "support/testsupport.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  makeworld(640, 640);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string path = writeinput(data, size, "map");
  Map map;
  const bool loaded = quietly([&] { map.load(path.c_str()); }).empty();
  if (!loaded) return 0;
  // drawcave's fill keeps its corners in a MaxPoints array.
  for (const Polygon& poly : map.getpolygons())
    if (poly.points.size() > MaxPoints) abort();
  map.drawcave();
  return 0;
}
