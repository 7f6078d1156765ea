#include "map.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <sstream>
#include <vector>

#include <sys/mman.h>

#include "common.h"
#include "data.h"
#include "enemies.h"
#include "errors.h"
#include "gamedata.h"
#include "gamefiles.h"
#include "manager.h"
#include "randomness.h"

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

// A corner of a cave polygon or of a rim band, in whole pixels. Held in
// double so that any map coordinate fits, however far off the picture.
struct Corner {
  double x, y;
};

// A map coordinate as a whole pixel: truncated toward zero, NaN taken as 0
// and an infinity as the farthest float, so that all sums stay finite.
double topixel(float v) {
  if (std::isnan(v)) return 0;
  return std::clamp(std::trunc(static_cast<double>(v)), -static_cast<double>(FLT_MAX),
                    static_cast<double>(FLT_MAX));
}

// Allegro fills polygons with its edges in fixed point with 18 fraction
// bits. It fills them exactly while every corner lies within +-8191 and no
// edge spans more than 8191 pixels across, or 4095 for a level edge; beyond
// that its sums overflow and it fills the wrong pixels.
constexpr double AllegroCorner = 8191;
constexpr double AllegroSpan = 8191;
constexpr double AllegroLevelSpan = 4095;

// A polygon Allegro cannot take as it is gets clipped to its bitmap grown
// by this margin on every side, a box whose level edges it still fills.
constexpr int ClipMargin = 512;
static_assert(LevelWidth + 2 * ClipMargin <= AllegroLevelSpan, "the clip box of a level fits Allegro");

bool allegrofills(const std::vector<Corner>& corners) {
  size_t n = corners.size();
  for (size_t i = 0; i < n; i++) {
    const Corner& a = corners[i];
    const Corner& b = corners[(i + 1) % n];
    if (std::fabs(a.x) > AllegroCorner || std::fabs(a.y) > AllegroCorner) return false;
    if (std::fabs(b.x - a.x) > (a.y == b.y ? AllegroLevelSpan : AllegroSpan)) return false;
  }
  return true;
}

// Where the edge from a to b crosses the line x = bound (or y = bound when
// `alongx` is false). Measured from the end nearer the line, so that a far
// corner costs the least precision and an edge is cut at the same point
// whichever way it runs.
Corner cut(Corner a, Corner b, bool alongx, double bound) {
  double da = std::fabs((alongx ? a.x : a.y) - bound), db = std::fabs((alongx ? b.x : b.y) - bound);
  if (db < da || (db == da && (b.x < a.x || (b.x == a.x && b.y < a.y)))) std::swap(a, b);
  if (alongx) return {bound, a.y + (bound - a.x) / (b.x - a.x) * (b.y - a.y)};
  return {a.x + (bound - a.y) / (b.y - a.y) * (b.x - a.x), bound};
}

// The part of a polygon on one side of the line x = bound (or y = bound):
// the side below the bound when `below` is set. Where the polygon leaves
// that side and comes back, its path beyond is replaced by a run along the
// line, so every point on the kept side stays inside or outside as before.
std::vector<Corner> clipside(const std::vector<Corner>& in, bool alongx, double bound, bool below) {
  auto kept = [&](const Corner& c) {
    double v = alongx ? c.x : c.y;
    return below ? v <= bound : v >= bound;
  };
  std::vector<Corner> out;
  for (size_t i = 0; i < in.size(); i++) {
    const Corner& a = in[i];
    const Corner& b = in[(i + 1) % in.size()];
    if (kept(a)) out.push_back(a);
    if (kept(a) != kept(b)) out.push_back(cut(a, b, alongx, bound));
  }
  return out;
}

// Clips a polygon to `bmp` grown by ClipMargin and puts its corners on
// whole pixels. The box's own edges lie off the bitmap; an edge cut at a
// whole pixel keeps every pixel of the bitmap, one cut between pixels
// moves by less than half a pixel.
std::vector<Corner> cliptobox(std::vector<Corner> corners, BITMAP* bmp) {
  const double left = -ClipMargin, top = -ClipMargin;
  const double right = bmp->w - 1 + ClipMargin, bottom = bmp->h - 1 + ClipMargin;
  corners = clipside(corners, true, left, false);
  corners = clipside(corners, true, right, true);
  corners = clipside(corners, false, top, false);
  corners = clipside(corners, false, bottom, true);
  for (Corner& c : corners)
    c = {std::clamp(std::round(c.x), left, right), std::clamp(std::round(c.y), top, bottom)};
  return corners;
}

// Fills a polygon of whole-pixel corners with Allegro's polygon. One that
// Allegro can fill as it is, which is every cave a level can see, is filled
// as it is; any other is clipped first, rather than having its far corners
// moved, which would move its edges across the picture.
void fillcorners(BITMAP* bmp, std::vector<Corner> corners, int colour) {
  if (!allegrofills(corners)) {
    corners = cliptobox(std::move(corners), bmp);
    if (corners.size() < 3) return;  // nothing of it near the bitmap
  }
  std::vector<int> coords;
  for (const Corner& c : corners) {
    coords.push_back(static_cast<int>(c.x));
    coords.push_back(static_cast<int>(c.y));
  }
  polygon(bmp, static_cast<int>(corners.size()), coords.data(), colour);
}

// Unit vector along an edge.
struct Direction {
  float x, y;
};

// The direction of the edge from a to b; false for an edge of no length.
// Worked out in float, as the rims have always been lit; only an edge so
// long that its squared length would overflow a float is measured in double.
bool edgedirection(const Corner& a, const Corner& b, Direction& d) {
  if (a.x == b.x && a.y == b.y) return false;
  const double FloatSquareable = 1e18;
  double ddx = b.x - a.x, ddy = b.y - a.y;
  if (std::fabs(ddx) <= FloatSquareable && std::fabs(ddy) <= FloatSquareable) {
    float dx = static_cast<float>(b.x) - static_cast<float>(a.x);
    float dy = static_cast<float>(b.y) - static_cast<float>(a.y);
    float len = std::sqrt(dx * dx + dy * dy);
    d = {dx / len, dy / len};
  } else {
    double len = std::hypot(ddx, ddy);
    d = {static_cast<float>(ddx / len), static_cast<float>(ddy / len)};
  }
  return true;
}

// The rim's grey: brightest for an edge that faces the light.
int rimgrey(const Direction& d) {
  float result = (d.x * lightx + d.y * lighty + 1.0f) * 128.0f;
  return std::clamp(static_cast<int>(result), 0, 255);
}

// The quadrilateral `width` pixels wide along the edge from a to b, square
// ended, its half-width cut to whole pixels.
std::vector<Corner> band(const Corner& a, const Corner& b, const Direction& d, int width) {
  float half = static_cast<float>(width) / 2.0f;
  double offsx = static_cast<int>(-(d.y * half));
  double offsy = static_cast<int>(d.x * half);
  return {{a.x - offsx, a.y - offsy}, {a.x + offsx, a.y + offsy}, {b.x + offsx, b.y + offsy},
          {b.x - offsx, b.y - offsy}};
}

// The rim of one cave edge: the bands of RimWidths stacked in its grey.
void drawrim(BITMAP* bmp, const Corner& a, const Corner& b) {
  Direction d;
  if (!edgedirection(a, b, d)) return;  // no direction, so no light and no rim
  int grey = rimgrey(d);
  int colour = makecol(grey, grey, grey);
  for (int width : RimWidths) fillcorners(bmp, band(a, b, d, width), colour);
}

std::vector<Corner> cornersof(const Polygon& poly) {
  std::vector<Corner> corners;
  for (const Point& p : poly.points) corners.push_back({topixel(p.x), topixel(p.y)});
  return corners;
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
  std::vector<Corner> corners = cornersof(poly);
  size_t n = corners.size();
  for (size_t j = 0; j < n; j++) drawrim(background, corners[j], corners[(j + 1) % n]);
}

void drawfill(const Polygon& poly) {
  std::vector<Corner> corners = cornersof(poly);
  fillcorners(background, corners, makecol(0, 0, 0));
  fillcorners(collisionmap, corners, makecol(0, 0, 0));
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
// normally drawn at. Allegro's alpha blenders work on the colour as a
// whole word; worked through, each of its fields comes out as a weighted
// mean of source and destination rounded down, and so it is computed here,
// field by field, with the same result for every pixel. The fields are
// named by place (low, middle, high) rather than colour, since the display
// decides which of red and blue is low. Mask-coloured source pixels leave
// the destination as it was, as Allegro skips them; at 32 bits every other
// pixel clears the destination's top byte, as Allegro's does.
//
// 32 bits, with A the stamp's alpha and w = A + 1 (0 when A is 0):
//   low  = (src.low  * w + dst.low  * (256 - w)) / 256
//   mid  = (src.mid  * w + dst.mid  * (256 - w)) / 256
//   high = (src.high * w + dst.high * (256 - w) + dst.mid) / 256
// (Allegro's blender works the low and high bytes in one word, and the
// middle byte of the destination carries into the high one.)
// 16 bits, the stamp's colour c in the display's 5-6-5 format and
// w = (A + 1) / 8 (0 when A is 0, and the pixel is then left alone):
//   field = (c.field * w + dst.field * (32 - w)) / 32
//
// A stamp at one depth, mirrored as its variant asks, with what the blend
// needs of each pixel worked out once for all the stamps of a set-up.
//
// A pixel of weight 0 leaves the destination as it was, but for the top
// byte at 32 bits; where the destination's top bytes are known to be clear,
// each row of a stamp is blended only from its first pixel of some weight
// to its last.
struct Stamp {
  int w = 0, h = 0;
  std::vector<uint32_t> colour;  // 32 bits: the pixel; 16 bits: the 16-bit colour
  std::vector<uint32_t> weight;  // w above
  std::vector<uint32_t> keep;    // 32 bits: all ones where the destination stays as it is
  std::vector<int> first, end;   // per row, the columns that need blending
};

// Whether the level is drawn at a depth and kind of bitmap Stamp serves.
bool stampable(BITMAP* dest) {
  const int depth = bitmap_color_depth(dest);
  return is_memory_bitmap(dest) && (depth == 32 || depth == 16);
}

// The columns of row `y` that need blending: all of them, or with `trim`
// those from the first of some weight to the last.
void rowspan(Stamp& st, int y, bool trim) {
  const uint32_t* w = &st.weight[size_t(y) * size_t(st.w)];
  int first = 0, end = st.w;
  if (trim) {
    while (first < end && !w[first]) first++;
    while (end > first && !w[end - 1]) end--;
  }
  st.first[size_t(y)] = first;
  st.end[size_t(y)] = end;
}

// `trim` may be set only where every pixel's top byte is clear (16 bits:
// always).
Stamp makestamp(BITMAP* mirrored, int depth, bool trim) {
  Stamp st;
  st.w = mirrored->w;
  st.h = mirrored->h;
  const size_t n = size_t(st.w) * size_t(st.h);
  st.colour.resize(n);
  st.weight.resize(n);
  st.keep.assign(n, 0);
  st.first.resize(size_t(st.h));
  st.end.resize(size_t(st.h));
  for (int y = 0; y < st.h; y++) {
    for (int x = 0; x < st.w; x++) {
      const size_t i = size_t(y) * size_t(st.w) + size_t(x);
      const uint32_t px = reinterpret_cast<const uint32_t*>(mirrored->line[y])[x];
      uint32_t a = (px >> 24) & 0xFF;
      if (depth == 32) {
        st.colour[i] = px;
        st.weight[i] = a ? a + 1 : 0;
        if (px == MASK_COLOR_32) st.keep[i] = ~0u;
      } else {
        st.colour[i] = uint32_t(makecol16(getr32(px), getg32(px), getb32(px)));
        st.weight[i] = px == MASK_COLOR_32 || !a ? 0 : (a + 1) / 8;
      }
    }
    rowspan(st, y, trim);
  }
  return st;
}

// The blends are made for processors with wider vector units too, chosen
// when the program starts.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__)
#define WIDEVECTORS __attribute__((target_clones("avx2", "default")))
#else
#define WIDEVECTORS
#endif

// One row of a stamp over one row of a 32-bit destination. Written as plain
// word arithmetic on each pixel alone so that the compiler can do several
// pixels at once.
WIDEVECTORS void blendrow32(uint32_t* __restrict d, const uint32_t* __restrict s, const uint32_t* __restrict w,
                const uint32_t* __restrict keep, int n) {
  for (int i = 0; i < n; i++) {
    const uint32_t y = d[i], x = s[i], a = w[i], rest = 256 - a;
    const uint32_t ymid = (y >> 8) & 0xFF;
    const uint32_t low = ((x & 0xFF) * a + (y & 0xFF) * rest) >> 8;
    const uint32_t mid = (((x >> 8) & 0xFF) * a + ymid * rest) >> 8;
    const uint32_t high = (((x >> 16) & 0xFF) * a + ((y >> 16) & 0xFF) * rest + ymid) >> 8;
    d[i] = (((high << 16) | (mid << 8) | low) & ~keep[i]) | (y & keep[i]);
  }
}

WIDEVECTORS void blendrow16(uint16_t* __restrict d, const uint32_t* __restrict s, const uint32_t* __restrict w, int n) {
  for (int i = 0; i < n; i++) {
    const uint32_t y = d[i], c = s[i], a = w[i], rest = 32 - a;
    const uint32_t low = ((c & 0x1F) * a + (y & 0x1F) * rest) >> 5;
    const uint32_t mid = (((c >> 5) & 0x3F) * a + ((y >> 5) & 0x3F) * rest) >> 5;
    const uint32_t high = ((c >> 11) * a + (y >> 11) * rest) >> 5;
    d[i] = static_cast<uint16_t>((high << 11) | (mid << 5) | low);
  }
}

// The part of a row of `w` pixels at column `x` inside the clip range.
struct Span {
  int sx, dx, w;  // first source column, first destination column, width
};

// The columns from `first` to before `end` of a row `w` pixels wide placed
// at column `x`, as far as they lie inside the clip range.
Span clipspan(int x, int first, int end, int cl, int cr) {
  if (x + first < cl) first = cl - x;
  if (x + end > cr) end = cr - x;
  return Span{first, x + first, end > first ? end - first : 0};
}

// Stamps `st` onto a stampable `dest` with its top-left corner at (x, y).
void alphastamp(BITMAP* dest, const Stamp& st, int x, int y) {
  int top = y < dest->ct ? dest->ct - y : 0;
  int bottom = y + st.h > dest->cb ? dest->cb - y : st.h;
  const bool deep = bitmap_color_depth(dest) == 32;
  for (int row = top; row < bottom; row++) {
    const Span span = clipspan(x, st.first[size_t(row)], st.end[size_t(row)], dest->cl, dest->cr);
    if (span.w == 0) continue;
    const size_t at = size_t(row) * size_t(st.w) + size_t(span.sx);
    if (deep)
      blendrow32(reinterpret_cast<uint32_t*>(dest->line[y + row]) + span.dx, &st.colour[at], &st.weight[at],
                 &st.keep[at], span.w);
    else
      blendrow16(reinterpret_cast<uint16_t*>(dest->line[y + row]) + span.dx, &st.colour[at], &st.weight[at], span.w);
  }
}

// Whether every pixel of a 32-bit memory bitmap has its top byte clear.
bool topbytesclear(BITMAP* b) {
  for (int y = 0; y < b->h; y++) {
    const uint32_t* line = reinterpret_cast<const uint32_t*>(b->line[y]);
    uint32_t any = 0;
    for (int x = 0; x < b->w; x++) any |= line[x];
    if (any >> 24) return false;
  }
  return true;
}

void bitmapsfailed() {
  ShowError("Problem creating bitmaps (out of memory?)");
  throw "Problem creating bitmaps";
}

// Where a dirt stamp goes, and which mirroring it takes.
struct DirtSpot {
  int x, y, variant;
};

// The next stamp's place: three draws in this order from the shared random
// source.
DirtSpot nextdirtspot() {
  int x = randombetween(0, backgroundWidth - 1);
  int y = randombetween(0, backgroundHeight - 1);
  int i = randombetween(0, 3);
  return DirtSpot{x, y, i};
}

// Stamps of the dirt textures on a level of the present size.
int dirtquantity() { return (backgroundWidth / DirtBlock) * (backgroundHeight / DirtBlock) * DirtPerBlock; }
int dirtstamps() { return dirtquantity() + 2 * (dirtquantity() / 2); }

// The level bitmaps are kept from level to level and made again only when
// the level's size or the colour depth changes: fresh memory of this size
// costs more to touch the first time than the drawing on it.
bool fits(BITMAP* b, int depth) {
  return b && b->w == backgroundWidth && b->h == backgroundHeight && bitmap_color_depth(b) == depth;
}

// Asks the system to back a large bitmap with large pages. The first touch
// of each small page costs a fault, which for a level picture adds up to
// more than drawing it; nothing changes where the system has no such pages.
void preferlargepages(BITMAP* b) {
#ifdef MADV_HUGEPAGE
  if (!b || !is_memory_bitmap(b) || b->h < 2) return;
  const uintptr_t Large = uintptr_t(2) << 20;
  const uintptr_t first = reinterpret_cast<uintptr_t>(b->line[0]);
  const uintptr_t end = reinterpret_cast<uintptr_t>(b->line[b->h - 1]) + (b->line[1] - b->line[0]);
  const uintptr_t from = (first + Large - 1) & ~(Large - 1), to = end & ~(Large - 1);
  if (to > from) madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
#else
  (void)b;
#endif
}

// Makes `*b` a bitmap of the level's size at `depth` unless it is one.
void keepormake(BITMAP** b, int depth) {
  if (fits(*b, depth)) return;
  if (*b) destroy_bitmap(*b);
  *b = create_bitmap_ex(depth, backgroundWidth, backgroundHeight);
  preferlargepages(*b);
}

// The textured rock, drawn once per process and kept with what it was
// drawn from: the level's size, the depth and the data file's pictures.
struct RockTexture {
  BITMAP* picture = nullptr;
  const void* sources[4] = {};
};
RockTexture rock;

bool rockfits() {
  const void* sources[4] = {datafile[DataRock].dat, datafile[DataDirt1].dat, datafile[DataDirt2].dat,
                            datafile[DataDirt3].dat};
  return fits(rock.picture, bitmap_color_depth(background)) && std::equal(sources, sources + 4, rock.sources);
}

void keeprock() {
  keepormake(&rock.picture, bitmap_color_depth(background));
  if (!rock.picture) bitmapsfailed();
  blit(background, rock.picture, 0, 0, 0, 0, backgroundWidth, backgroundHeight);
  const void* sources[4] = {datafile[DataRock].dat, datafile[DataDirt1].dat, datafile[DataDirt2].dat,
                            datafile[DataDirt3].dat};
  std::copy(sources, sources + 4, rock.sources);
}

// ApplyDirt, with `trim` set when every pixel of background has its top
// byte clear (16 bits: always).
void stampdirt(BITMAP* dirt, int qty, bool trim);

// Covers background with the rock tiles and the dirt, from the random
// sequence as it stands.
void drawtexture() {
  BITMAP* tile = databitmap(DataRock);
  int qty = dirtquantity();
  // Every 128x128 cell shows the texture's top-left corner: the picture
  // that overlapping 256x256 blits, each covering the earlier, leave too.
  for (int x = 0; x < backgroundWidth; x += TileSize)
    for (int y = 0; y < backgroundHeight; y += TileSize) blit(tile, background, 0, 0, x, y, TileSize, TileSize);
  // The tiles show only the texture's corner, so its top bytes are the
  // picture's.
  bool trim = bitmap_color_depth(background) == 16;
  if (stampable(background) && bitmap_color_depth(background) == 32 && bitmap_color_depth(tile) == 32) {
    BITMAP* corner = create_sub_bitmap(tile, 0, 0, std::min(tile->w, TileSize), std::min(tile->h, TileSize));
    trim = corner && topbytesclear(corner);
    if (corner) destroy_bitmap(corner);
  }
  set_alpha_blender();
  stampdirt(databitmap(DataDirt1), qty, trim);
  stampdirt(databitmap(DataDirt2), qty / 2, trim);
  stampdirt(databitmap(DataDirt3), qty / 2, trim);
}

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
  drawrim(bmp, Corner{double(x1), double(y1)}, Corner{double(x2), double(y2)});
}

void WideLine(BITMAP* bmp, int x1, int y1, int x2, int y2, int width, int colour) {
  Corner a{double(x1), double(y1)}, b{double(x2), double(y2)};
  Direction d;
  if (!edgedirection(a, b, d)) return;  // a point has no band
  fillcorners(bmp, band(a, b, d, width), colour);
}

void InitBackground() {
  backgroundWidth = LevelWidth;
  backgroundHeight = LevelHeight;
  const int depth = get_color_depth();
  keepormake(&background, depth);
  keepormake(&vscreen, depth);
  keepormake(&collisionmap, 8);
  if (!background || !vscreen || !collisionmap) bitmapsfailed();
}

void InitBackgroundTexture() {
  if (!rockfits()) {
    drawtexture();
    keeprock();
    return;
  }
  blit(rock.picture, background, 0, 0, 0, 0, backgroundWidth, backgroundHeight);
  // The random numbers the stamps would have taken are drawn all the same,
  // so that what follows in the game gets the numbers it always got.
  for (int n = dirtstamps(); n > 0; n--) nextdirtspot();
}

void forgetlevelrock() {
  if (rock.picture) destroy_bitmap(rock.picture);
  rock = RockTexture();
}

void ApplyDirt(BITMAP* dirt, int qty) {
  stampdirt(dirt, qty, bitmap_color_depth(background) == 16 || (stampable(background) && topbytesclear(background)));
}

namespace {

void stampdirt(BITMAP* dirt, int qty, bool trim) {
  BITMAP* variants[4] = {nullptr, nullptr, nullptr, nullptr};
  bool ok = true;
  for (int i = 0; i < 4; i++) ok = (variants[i] = mirroredcopy(dirt, i)) && ok;
  if (!ok) {
    for (BITMAP* v : variants)
      if (v) destroy_bitmap(v);
    bitmapsfailed();
  }
  const bool fast = stampable(background);
  std::vector<Stamp> stamps;
  if (fast)
    for (BITMAP* v : variants) stamps.push_back(makestamp(v, bitmap_color_depth(background), trim));
  for (int n = 0; n < qty; n++) {
    DirtSpot spot = nextdirtspot();
    if (fast)
      alphastamp(background, stamps[spot.variant], spot.x - DirtOffset, spot.y - DirtOffset);
    else
      draw_trans_sprite(background, variants[spot.variant], spot.x - DirtOffset, spot.y - DirtOffset);
  }
  for (BITMAP* v : variants) destroy_bitmap(v);
}

}  // namespace

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
  PlacedObject placed{record.letter, 0, {0, 0}};
  if (record.letter == StaticRecord) {
    placed.type = record.read<int>("type number");
    if (!isrecordkind(StaticRecord, placed.type))
      record.fail("Unable to get bitmap in StaticObject",
                  "base or tank type " + std::to_string(placed.type) + " is none of 0 to 5");
  } else if (record.letter == EnemyRecord) {
    placed.type = record.read<int>("type number");
    if (!isrecordkind(EnemyRecord, placed.type))
      record.fail("Unknown enemy type", "wibblet type " + std::to_string(placed.type) + " is none of 1 to 4");
  } else if (record.letter != ShipRecord) {
    record.fail("Unknown object type", "records begin with S, T or E");
  }
  return makeplaced(placed);
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

bool recordof(const GameObject* obj, PlacedObject& record) {
  if (dynamic_cast<const Ship*>(obj))
    record = {ShipRecord, 0, obj->position};
  else if (const StaticObject* s = dynamic_cast<const StaticObject*>(obj))
    record = {StaticRecord, s->type, obj->position};
  else if (const Enemy* e = dynamic_cast<const Enemy*>(obj))
    record = {EnemyRecord, e->type, obj->position};
  else
    return false;
  return true;
}

bool isrecordkind(char letter, int type) {
  switch (letter) {
    case ShipRecord: return type == 0;
    case StaticRecord: return isstatictype(type);
    case EnemyRecord: return isenemytype(type);
    default: return false;
  }
}

GameObject* makeplaced(const PlacedObject& record) {
  GameObject* obj;
  if (record.letter == ShipRecord)
    obj = new Ship();
  else if (record.letter == StaticRecord)
    obj = new StaticObject(static_cast<StaticType>(record.type));
  else
    obj = new Enemy(static_cast<EnemyType>(record.type));
  obj->position = record.position;
  return obj;
}

void writerecord(std::ostream& out, const PlacedObject& record) {
  out << record.letter << ' ';
  if (record.letter != ShipRecord) out << record.type << ' ';
  out << wholepixel(record.position.x) << ' ' << wholepixel(record.position.y) << std::endl;
}

void saverecord(std::ostream& out, const GameObject* obj) {
  PlacedObject record;
  if (recordof(obj, record)) writerecord(out, record);
}

std::string objectname(char letter, int type) {
  if (!isrecordkind(letter, type)) return "object";
  if (letter == ShipRecord) return "ship";
  return letter == StaticRecord ? staticname(StaticType(type)) : enemyname(EnemyType(type));
}

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

namespace {

Map lastmap;

}  // namespace

const Map& levelmap() { return lastmap; }

BITMAP* levelrock() { return rock.picture; }

void initcave(const char* mapfile) {
  initmanager();
  InitBackground();
  InitBackgroundTexture();
  lastmap = Map();
  lastmap.load(mapfile);
  lastmap.drawcave();
}

void initlevel(int level) {
  initcave(levelfilepath(levelmapname(level)).c_str());
  InitObjects(levelfilepath(levelobjectsname(level)).c_str());
}
