#include "map.h"

#include <cmath>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <sstream>

#include "common.h"
#include "data.h"
#include "enemies.h"
#include "main.h"
#include "manager.h"

BITMAP* background = nullptr;
BITMAP* vscreen = nullptr;
BITMAP* collisionmap = nullptr;
int backgroundWidth = 0;
int backgroundHeight = 0;

namespace {

// Light falls from the top right: edges facing it get the brightest rims.
const float lightx = -0.7f;
const float lighty = 0.7f;

// Widths of the five stacked translucent bands of a rim, innermost first
// to outermost last; near the edge a pixel gets all five coats.
const int RimWidths[] = {4, 6, 8, 10, 12};

// Opacity of each rim coat, out of 255.
const int RimAlpha = 40;

// Tiles of the rock texture: only its top-left TileSize square shows.
const int TileSize = 128;
// One dirt stamp per 256x256 block, eight times over.
const int DirtBlock = 256;
const int DirtPerBlock = 8;
// A stamp's top-left corner lies this far up and left of its random point.
const int DirtOffset = 128;

// Map coordinates far off the picture are pulled in to this bound before
// they become ints: it keeps NaN, infinities and huge values away from the
// float-to-int conversion, and keeps Allegro's polygon edges (fixed point
// with 18 fraction bits) from overflowing: corners and edge spans must stay
// below 8192. Such points are off the picture anyway.
const float CoordinateLimit = 4000.0f;

// Truncates a map coordinate toward zero, with NaN taken as 0 and anything
// beyond the limit clamped to it.
int topixel(float v) {
  if (std::isnan(v)) return 0;
  if (v > CoordinateLimit) return static_cast<int>(CoordinateLimit);
  if (v < -CoordinateLimit) return static_cast<int>(-CoordinateLimit);
  return static_cast<int>(v);
}

// What stood where a number was wanted: the end of the file, or the word
// that starts at `at`.
std::string misread(std::istream& in, std::streampos at) {
  std::string word;
  in.clear();
  if (at == std::streampos(-1) || !in.seekg(at) || !(in >> word)) return "the file ends early";
  const size_t MaxShown = 20;
  if (word.size() > MaxShown) word = word.substr(0, MaxShown) + "...";
  return "\"" + word + "\" is not a number the game can use";
}

// Reads one number of a level file. When there is none the text error
// `message` is thrown, naming the file, the number wanted (`what`) and what
// stood there instead.
template <class T>
T readnumber(std::istream& in, const char* message, const char* file, const std::string& what) {
  in >> std::ws;
  const std::streampos at = in.eof() ? std::streampos(-1) : in.tellg();
  T value;
  if (!(in >> value)) throwfileerror(message, file, what + ": " + misread(in, at));
  return value;
}

const char* const MapFailed = "Failed to load map";

// A level map file being read, named in the messages of its errors.
struct MapFile {
  std::istream& in;
  const char* name;
};

// Reads one count; a missing, garbled or negative count fails the load.
int readcount(MapFile& map, const std::string& what) {
  int n = readnumber<int>(map.in, MapFailed, map.name, what);
  if (n < 0) throwfileerror(MapFailed, map.name, what + ": " + std::to_string(n) + " is negative");
  return n;
}

// Polygon `number` (counted from 1) of the file.
Polygon readpolygon(MapFile& map, int number) {
  const std::string polygon = "polygon " + std::to_string(number);
  int k = readcount(map, polygon + ": point count");
  if (k > MaxPoints)
    throwfileerror("Too many points", map.name,
                   polygon + " has " + std::to_string(k) + " points, at most " + std::to_string(MaxPoints));
  Polygon poly;
  poly.points.reserve(k);
  for (int j = 0; j < k; j++) {
    const std::string point = polygon + ", point " + std::to_string(j + 1);
    Point p;
    p.x = readnumber<float>(map.in, MapFailed, map.name, point + ": x");
    p.y = readnumber<float>(map.in, MapFailed, map.name, point + ": y");
    poly.points.push_back(p);
  }
  return poly;
}

// A polygon of fewer points encloses no area: it gets neither rim nor fill.
const size_t MinDrawnPoints = 3;

void drawrims(const Polygon& poly) {
  const std::vector<Point>& pts = poly.points;
  size_t n = pts.size();
  for (size_t j = 0; j < n; j++) {
    const Point& a = pts[j];
    const Point& b = pts[(j + 1) % n];
    LitLine(background, topixel(a.x), topixel(a.y), topixel(b.x), topixel(b.y));
  }
}

void drawfill(const Polygon& poly) {
  int coords[2 * MaxPoints];
  int n = static_cast<int>(poly.points.size());
  for (int j = 0; j < n; j++) {
    coords[2 * j] = topixel(poly.points[j].x);
    coords[2 * j + 1] = topixel(poly.points[j].y);
  }
  polygon(background, n, coords, makecol(0, 0, 0));
  polygon(collisionmap, n, coords, makecol(0, 0, 0));
}

// Copies dirt into a new 32-bit bitmap, mirrored as `variant` says (bit 0
// left to right, bit 1 top to bottom). Pixel values, alpha included, are
// copied unchanged. Returns null when the bitmap cannot be made.
BITMAP* mirroredcopy(BITMAP* dirt, int variant) {
  int w = dirt->w, h = dirt->h;
  BITMAP* copy = create_bitmap_ex(32, w, h);
  if (!copy) return nullptr;
  bool hflip = variant & 1, vflip = variant & 2;
  bool direct = bitmap_color_depth(dirt) == 32 && is_memory_bitmap(dirt);
  for (int y = 0; y < h; y++) {
    int ty = vflip ? h - 1 - y : y;
    uint32_t* dst = reinterpret_cast<uint32_t*>(copy->line[ty]);
    if (direct) {
      // Straight line access: the same values getpixel would return.
      const uint32_t* src = reinterpret_cast<const uint32_t*>(dirt->line[y]);
      for (int x = 0; x < w; x++) dst[hflip ? w - 1 - x : x] = src[x];
    } else {
      for (int x = 0; x < w; x++) dst[hflip ? w - 1 - x : x] = getpixel(dirt, x, y);
    }
  }
  return copy;
}

// Alpha stamping of a 32-bit RGBA picture, as draw_trans_sprite does it
// under set_alpha_blender, for the two memory bitmap depths the level is
// normally drawn at. The arithmetic is Allegro's own alpha blenders'
// (unsigned long, wrap-around included), so the picture is identical, but
// without a function call per pixel it is several times faster, and the
// 1600 stamps of a level set-up are most of its cost. Mask-coloured source
// pixels are skipped, as Allegro skips them.
struct Span {
  int sx, dx, w;  // first source column, first destination column, width
};

// The part of a row of `w` pixels at column `x` inside the clip range.
Span clipspan(int x, int w, int cl, int cr) {
  int first = x < cl ? cl - x : 0;
  int last = x + w > cr ? cr - x : w;
  return Span{first, x + first, last > first ? last - first : 0};
}

void blendrow32(uint32_t* d, const uint32_t* s, int n) {
  for (int i = 0; i < n; i++) {
    unsigned long x = s[i];
    if (x == MASK_COLOR_32) continue;
    unsigned long y = d[i];
    unsigned long a = (x >> 24) & 0xFF;
    if (a) a++;
    unsigned long rb = ((x & 0xFF00FF) - (y & 0xFF00FF)) * a / 256 + y;
    unsigned long g = ((x & 0xFF00) - (y & 0xFF00)) * a / 256 + (y & 0xFF00);
    d[i] = static_cast<uint32_t>((rb & 0xFF00FF) | (g & 0xFF00));
  }
}

void blendrow16(uint16_t* d, const uint32_t* s, int n) {
  for (int i = 0; i < n; i++) {
    unsigned long x = s[i];
    if (x == MASK_COLOR_32) continue;
    unsigned long a = (x >> 24) & 0xFF;
    if (a) a = (a + 1) / 8;
    if (!a) continue;  // leaves the pixel exactly as it was
    unsigned long c = makecol16(getr32(x), getg32(x), getb32(x));
    c = (c | (c << 16)) & 0x7E0F81F;
    unsigned long y = d[i];
    y = ((y & 0xFFFF) | (y << 16)) & 0x7E0F81F;
    unsigned long r = ((c - y) * a / 32 + y) & 0x7E0F81F;
    d[i] = static_cast<uint16_t>((r & 0xFFFF) | (r >> 16));
  }
}

// Draws the 32-bit RGBA `sprite` onto `dest` at (x, y) by its alpha; the
// alpha blender must be set.
void alphastamp(BITMAP* dest, BITMAP* sprite, int x, int y) {
  int depth = bitmap_color_depth(dest);
  if (!is_memory_bitmap(dest) || (depth != 32 && depth != 16)) {
    draw_trans_sprite(dest, sprite, x, y);
    return;
  }
  Span span = clipspan(x, sprite->w, dest->cl, dest->cr);
  if (span.w == 0) return;
  int top = y < dest->ct ? dest->ct - y : 0;
  int bottom = y + sprite->h > dest->cb ? dest->cb - y : sprite->h;
  for (int row = top; row < bottom; row++) {
    const uint32_t* s = reinterpret_cast<const uint32_t*>(sprite->line[row]) + span.sx;
    if (depth == 32)
      blendrow32(reinterpret_cast<uint32_t*>(dest->line[y + row]) + span.dx, s, span.w);
    else
      blendrow16(reinterpret_cast<uint16_t*>(dest->line[y + row]) + span.dx, s, span.w);
  }
}

void bitmapsfailed() {
  ShowError("Problem creating bitmaps (out of memory?)");
  throw "Problem creating bitmaps";
}

BITMAP* dataBitmap(int entry) { return static_cast<BITMAP*>(datafile[entry].dat); }

}  // namespace

void Map::load(const char* filename) {
  std::ifstream in(filename);
  if (!in.good()) throwfileerror(MapFailed, filename, "cannot open");
  MapFile map{in, filename};
  int count = readcount(map, "polygon count");
  // Polygons are added as they are read, so a huge count in a short file
  // fails at its end instead of allocating for the count.
  for (int i = 0; i < count; i++) polygons.push_back(readpolygon(map, i + 1));
}

void Map::drawcave() {
  drawing_mode(DRAW_MODE_TRANS, nullptr, 0, 0);
  set_trans_blender(0, 0, 0, RimAlpha);
  // Every rim goes down before any fill, so fills hide the inner halves.
  for (const Polygon& poly : polygons)
    if (poly.points.size() >= MinDrawnPoints) drawrims(poly);
  drawing_mode(DRAW_MODE_SOLID, nullptr, 0, 0);
  clear_to_color(collisionmap, 1);
  for (const Polygon& poly : polygons)
    if (poly.points.size() >= MinDrawnPoints) drawfill(poly);
}

void LitLine(BITMAP* bmp, int x1, int y1, int x2, int y2) {
  if (x1 == x2 && y1 == y2) return;  // no direction, so no light and no rim
  float dx = static_cast<float>(x2) - x1, dy = static_cast<float>(y2) - y1;
  float len = std::sqrt(dx * dx + dy * dy);
  dx /= len;
  dy /= len;
  float result = (dx * lightx + dy * lighty + 1.0f) * 128.0f;
  int brightness = static_cast<int>(result);
  if (brightness < 0) brightness = 0;
  if (brightness > 255) brightness = 255;
  int colour = makecol(brightness, brightness, brightness);
  for (int width : RimWidths) WideLine(bmp, x1, y1, x2, y2, width, colour);
}

void WideLine(BITMAP* bmp, int x1, int y1, int x2, int y2, int width, int colour) {
  float dx = static_cast<float>(x2) - x1, dy = static_cast<float>(y2) - y1;
  float len = std::sqrt(dx * dx + dy * dy);
  if (len == 0.0f) return;  // a point has no band
  float half = static_cast<float>(width) / 2.0f;
  dx = dx / len * half;
  dy = dy / len * half;
  int offsx = static_cast<int>(-dy);
  int offsy = static_cast<int>(dx);
  int corners[8] = {x1 - offsx, y1 - offsy, x1 + offsx, y1 + offsy,
                    x2 + offsx, y2 + offsy, x2 - offsx, y2 - offsy};
  polygon(bmp, 4, corners, colour);
}

void InitBackground() {
  for (BITMAP** b : {&background, &vscreen, &collisionmap}) {
    if (*b) destroy_bitmap(*b);
    *b = nullptr;
  }
  backgroundWidth = LevelWidth;
  backgroundHeight = LevelHeight;
  background = create_bitmap(backgroundWidth, backgroundHeight);
  vscreen = create_bitmap(backgroundWidth, backgroundHeight);
  collisionmap = create_bitmap_ex(8, backgroundWidth, backgroundHeight);
  if (!background || !vscreen || !collisionmap) bitmapsfailed();
}

void InitBackgroundTexture() {
  BITMAP* rock = dataBitmap(DataRock);
  int qty = (backgroundWidth / DirtBlock) * (backgroundHeight / DirtBlock) * DirtPerBlock;
  // The 256x256 blits overlap, and each later one covers the earlier, so
  // every 128x128 cell shows the texture's top-left corner.
  for (int x = 0; x < backgroundWidth; x += TileSize)
    for (int y = 0; y < backgroundHeight; y += TileSize)
      blit(rock, background, 0, 0, x, y, 2 * TileSize, 2 * TileSize);
  set_alpha_blender();
  ApplyDirt(dataBitmap(DataDirt1), qty);
  ApplyDirt(dataBitmap(DataDirt2), qty / 2);
  ApplyDirt(dataBitmap(DataDirt3), qty / 2);
}

void ApplyDirt(BITMAP* dirt, int qty) {
  BITMAP* variants[4] = {nullptr, nullptr, nullptr, nullptr};
  bool ok = true;
  for (int i = 0; i < 4; i++) ok = (variants[i] = mirroredcopy(dirt, i)) && ok;
  if (!ok) {
    for (BITMAP* v : variants)
      if (v) destroy_bitmap(v);
    bitmapsfailed();
  }
  for (int n = 0; n < qty; n++) {
    // Three draws in this order from the shared random source.
    int x = randombetween(0, backgroundWidth - 1);
    int y = randombetween(0, backgroundHeight - 1);
    int i = randombetween(0, 3);
    alphastamp(background, variants[i], x - DirtOffset, y - DirtOffset);
  }
  for (BITMAP* v : variants) destroy_bitmap(v);
}

std::string levelmapname(int level) {
  std::ostringstream name;
  name << "levels/level" << level << ".txt";
  return name.str();
}

std::string levelobjectsname(int level) {
  std::ostringstream name;
  name << "levels/level" << level << "objects.txt";
  return name.str();
}

namespace {

const char* const BadRecord = "Bad record in objects file";

// The record of an objects file being read, named in the messages of its
// errors.
struct ObjectRecord {
  std::istream& in;
  const char* file;
  int number;  // counted from 1
  char letter;

  std::string where() const { return "record " + std::to_string(number) + " (" + letter + "): "; }
  [[noreturn]] void fail(const char* message, const std::string& what) const {
    throwfileerror(message, file, where() + what);
  }
  template <class T>
  T read(const char* what) const {
    return readnumber<T>(in, BadRecord, file, where() + what);
  }
};

// Makes the object a record's letter and type number ask for. A number
// outside its enumeration is refused with the constructor's own message
// before it is ever cast to the enumeration type.
GameObject* makeobject(const ObjectRecord& record) {
  if (record.letter == 'S') return new Ship();
  if (record.letter == 'T') {
    int t = record.read<int>("type number");
    if (!isstatictype(t))
      record.fail("Unable to get bitmap in StaticObject",
                  "base or tank type " + std::to_string(t) + " is none of 0 to 5");
    return new StaticObject(static_cast<StaticType>(t));
  }
  if (record.letter == 'E') {
    int t = record.read<int>("type number");
    if (!isenemytype(t))
      record.fail("Unknown enemy type", "wibblet type " + std::to_string(t) + " is none of 1 to 4");
    return new Enemy(static_cast<EnemyType>(t));
  }
  record.fail("Unknown object type", "records begin with S, T or E");
}

// Reads the position of a new object; an object whose position cannot be
// read is never registered.
void readposition(const ObjectRecord& record, GameObject* obj) {
  try {
    obj->position.x = record.read<float>("x");
    obj->position.y = record.read<float>("y");
  } catch (const char*) {
    delete obj;
    throw;
  }
}

void placeobject(GameObject* obj) {
  if (StaticObject* s = dynamic_cast<StaticObject*>(obj)) s->drawtocollisionmap();
  if (dynamic_cast<Ship*>(obj)) trackobject(obj);
  addobject(obj);
}

}  // namespace

void InitObjects(const char* filename) {
  std::ifstream in(filename);
  if (!in.good()) throwfileerror("Failed to open objects file", filename, "cannot open");
  char letter;
  for (int number = 1; in >> letter; number++) {
    std::cout << "Object type: " << letter << std::endl;
    const ObjectRecord record{in, filename, number, letter};
    GameObject* obj = makeobject(record);
    readposition(record, obj);
    placeobject(obj);
  }
}

void initcave(const char* mapfile) {
  initmanager();
  InitBackground();
  InitBackgroundTexture();
  Map map;
  map.load(mapfile);
  map.drawcave();
}

void initlevel(int level) {
  initcave(levelmapname(level).c_str());
  InitObjects(levelobjectsname(level).c_str());
}
