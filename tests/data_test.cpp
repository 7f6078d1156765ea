#include "data.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "gamedata.h"
#include "main.h"
#include "makedata/datawriter.h"
#include "support/testsupport.h"

namespace {

BITMAP* bitmapat(int i) { return static_cast<BITMAP*>(datafile[i].dat); }

testing::AssertionResult within(double v, double lo, double hi) {
  return v >= lo && v <= hi ? testing::AssertionSuccess() : testing::AssertionFailure() << v << " is not within " << lo << " to " << hi;
}

bool accepted(const std::string& bytes, std::string& why) {
  static const std::string path = maketempdir() + "/data.dat";
  writefile(path, bytes);
  return checkdatafile(path.c_str(), why);
}

// A small but complete file: one object of each kind the game stores.
std::string smallfile() {
  std::string path = maketempdir() + "/small.dat";
  BITMAP* b = create_bitmap_ex(32, 3, 2);
  clear_to_color(b, makecol32(10, 20, 30));
  std::vector<MonoGlyph> glyphs(2, MonoGlyph{3, 2, {0xA0, 0x40}});
  Sound sound{22050, {0, 1000, -1000}};
  EXPECT_TRUE(writedatafile(path.c_str(), {bitmapobject("B", b, false), bitmapobject("A", b, true), soundobject("S", sound),
                                           monofontobject("F", 65, glyphs), dataobject("D", "xyz")}));
  destroy_bitmap(b);
  return readfile(path);
}

std::string be32(uint32_t v) { return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)}; }
std::string be16(uint16_t v) { return {char(v >> 8), char(v)}; }
std::string le16(uint16_t v) { return {char(v), char(v >> 8)}; }

std::string object(uint32_t type, const std::string& body) { return be32(type) + be32(body.size()) + be32(body.size()) + body; }
std::string file(const std::string& objects, uint32_t count = 1) { return be32(F_NOPACK_MAGIC) + be32(DAT_MAGIC) + be32(count) + objects; }

// The seeds of the data file fuzzer: one small file per kind of object.
std::string seed(const char* name) { return readfile(sourcedir() + "/tests/fuzz/corpus/fuzz_data/" + name); }

std::string patched(const std::string& bytes, size_t at, uint32_t v) { return bytes.substr(0, at) + be32(v) + bytes.substr(at + 4); }

const size_t FirstType = 12 + 12 + 1;  // past the header and the first NAME property

// A file of nested files `levels` deep, the innermost holding `inner`.
std::string nested(int levels, std::string inner = be32(0)) {
  for (int i = 0; i < levels; i++) inner = be32(1) + be32(DAT_FILE) + be32(inner.size()) + be32(inner.size()) + inner;
  return be32(F_NOPACK_MAGIC) + be32(DAT_MAGIC) + inner;
}

std::string times(const std::string& s, int n) { std::string r; while (n-- > 0) r += s; return r; }

// A file, whether the check takes it, and a piece of its reason.
struct Row { const char* what; std::string bytes; bool good; const char* reason = ""; };
void judge(const std::vector<Row>& rows) {
  for (const Row& r : rows) {
    std::string why;
    EXPECT_EQ(accepted(r.bytes, why), r.good) << r.what << ": " << why;
    EXPECT_NE(why.find(r.reason), std::string::npos) << r.what << ": " << why;
  }
}

}  // namespace

TEST(DataFile, BakedEntriesHaveTheirTypesAndSizes) {
  initallegro();
  std::string why;
  long long loaded = 0;  // well within the budget
  EXPECT_TRUE(checkdatafile((rundir() + "/data.dat").c_str(), why, &loaded)) << why;
  EXPECT_LT(loaded, 8 << 20);
  EXPECT_TRUE(checkdataentries(datafile, why)) << why;
  const int tanks[] = {DataTankHCl, DataTankHF, DataTankHydrogen, DataTankOxygen};
  struct Row { std::vector<int> entries; int minw, maxw, minh, maxh; };
  const Row rows[] = {{{DataTitle}, 640, 640, 120, 120}, {{DataPanel}, 64, 64, 48, 48}, {{DataRock}, 256, 256, 256, 256},
                      {{DataShip}, 1, 36, 1, 36}, {{DataBaseStart, DataBaseExit}, 64, 96, 1, 40},
                      {{DataExplosion, DataEnemyExplosion}, 24, 48, 1, 999}, {{DataEmptyTank}, 1, 40, 1, 40},
                      {{DataBlueWibblet, DataGreenWibblet, DataOrangeWibblet, DataYellowWibblet}, 24, 40, 1, 999},
                      {{tanks, tanks + 4}, 24, 40, 1, 40}, {{DataDirt1, DataDirt2, DataDirt3}, 1, 999, 1, 999}};
  for (const Row& r : rows)
    for (int i : r.entries) {
      ASSERT_EQ(datafile[i].type, DAT_BITMAP) << "entry " << i;
      BITMAP* b = bitmapat(i);
      EXPECT_TRUE(within(b->w, r.minw, r.maxw)) << "width of " << i;
      EXPECT_TRUE(within(b->h, r.minh, r.maxh)) << "height of " << i;
    }
  // A drained tank takes the full tank's place and dirty rectangle.
  for (int i : tanks) EXPECT_TRUE(bitmapat(DataEmptyTank)->w <= bitmapat(i)->w && bitmapat(DataEmptyTank)->h <= bitmapat(i)->h) << i;
  // Turned about (w/2, h/2), every painted pixel stays within the 26-pixel square the ship redraws.
  BITMAP* ship = bitmapat(DataShip);
  for (int y = 0; y < ship->h; y++)
    for (int x = 0; x < ship->w; x++)
      if (getpixel(ship, x, y) != bitmap_mask_color(ship)) {
        double dx = std::max(std::fabs(x - ship->w / 2.0), std::fabs(x + 1 - ship->w / 2.0));
        double dy = std::max(std::fabs(y - ship->h / 2.0), std::fabs(y + 1 - ship->h / 2.0));
        EXPECT_LE(std::hypot(dx, dy), 26.0) << x << "," << y;
      }
  ASSERT_EQ(datafile[DataFont].type, DAT_FONT);
  FONT* f = static_cast<FONT*>(datafile[DataFont].dat);
  EXPECT_TRUE(within(text_height(f), 14, 20));
  EXPECT_LT(text_length(f, "iiii"), text_length(f, "MMMM"));  // proportional
  // Sounds: short, mono, and loud enough to hear.
  for (int i : {DataShotSound, DataShipExplodeSound, DataShipHitSound, DataEnemyDeathSound}) {
    ASSERT_EQ(datafile[i].type, DAT_SAMPLE) << i;
    SAMPLE* s = static_cast<SAMPLE*>(datafile[i].dat);
    EXPECT_FALSE(s->stereo) << i;
    EXPECT_TRUE(s->bits == 8 || s->bits == 16) << i << ": " << s->bits << " bits";
    EXPECT_TRUE(within(s->freq, 11025, 44100)) << "frequency of " << i;
    EXPECT_TRUE(within(static_cast<double>(s->len) / s->freq, 0.1, 2.0)) << "length of " << i;
    long peak = 0;
    for (unsigned long k = 0; k < s->len; k++)
      peak = std::max(peak, std::labs(s->bits == 16 ? static_cast<unsigned short*>(s->data)[k] - 32768L
                                                    : (static_cast<unsigned char*>(s->data)[k] - 128L) * 256));
    EXPECT_GT(peak, 8000) << i;
  }
  // Dirt fades to nothing at its edges.
  for (int i : {DataDirt1, DataDirt2, DataDirt3}) {
    BITMAP* d = bitmapat(i);
    ASSERT_EQ(bitmap_color_depth(d), 32) << i;
    int edge = 0;
    for (int k = 0; k < d->w; k++) edge += geta32(getpixel(d, k, 0)) + geta32(getpixel(d, k, d->h - 1));
    for (int k = 0; k < d->h; k++) edge += geta32(getpixel(d, 0, k)) + geta32(getpixel(d, d->w - 1, k));
    EXPECT_EQ(edge, 0) << i;
    EXPECT_GT(geta32(getpixel(d, d->w / 2, d->h / 2)), 60) << i;
  }
}

// Pictures convert to a 16-bit display keeping their masks; dirt stays 32-bit, for its alpha.
TEST(DataFile, MasksSurviveASixteenBitDisplay) {
  initallegro();
  set_color_depth(16);
  set_color_conversion(COLORCONV_32_TO_16);
  DATAFILE* data = load_datafile((rundir() + "/data.dat").c_str());
  set_color_depth(chosenDepth);
  set_color_conversion(chosenDepth == 16 ? COLORCONV_32_TO_16 : COLORCONV_16_TO_32);
  ASSERT_NE(data, nullptr);
  BITMAP* ship = static_cast<BITMAP*>(data[DataShip].dat);
  EXPECT_EQ(bitmap_color_depth(ship), 16);
  EXPECT_EQ(getpixel(ship, 0, 0), bitmap_mask_color(ship));
  EXPECT_NE(getpixel(ship, ship->w / 2, ship->h / 2), bitmap_mask_color(ship));
  EXPECT_EQ(bitmap_color_depth(static_cast<BITMAP*>(data[DataDirt1].dat)), 32);
  unload_datafile(data);
}

TEST(DataFile, CheckRejectsEveryTruncation) {
  initallegro();
  std::string small = smallfile(), staged = readfile((rundir() + "/data.dat")), why;
  EXPECT_TRUE(accepted(small, why)) << why;
  for (size_t n = 0; n < small.size(); n++) EXPECT_FALSE(accepted(small.substr(0, n), why)) << "cut at " << n;
  for (size_t n = 0; n < staged.size(); n += staged.size() / 97 + 1) EXPECT_FALSE(accepted(staged.substr(0, n), why)) << n;
  EXPECT_FALSE(accepted(staged.substr(0, staged.size() - 1), why));
  EXPECT_FALSE(checkdatafile((maketempdir() + "/missing.dat").c_str(), why) || checkdatafile(maketempdir().c_str(), why));
}

TEST(DataFile, CheckJudgesHeadersCountsSizesAndNesting) {
  initallegro();
  const std::string small = smallfile();
  auto chunk = [&](uint32_t size) { return patched(patched(small, FirstType + 4, size), FirstType + 8, size); };
  std::string inner = be32(1) + be32(DAT_DATA) + be32(3) + be32(3) + "abc", padding(100, '\0');
  judge({
      {"header only", small.substr(0, 12), false}, {"wrong magic", small.substr(0, 5) + "X" + small.substr(6), false},
      {"compressed", patched(small, 0, F_PACK_MAGIC), false, "compressed"},
      {"count 2^31-1", patched(small, 8, 0x7FFFFFFF), false}, {"count 2^32-1", patched(small, 8, 0xFFFFFFFF), false},
      {"count one too many", patched(small, 8, 6), false}, {"chunk 2^31", chunk(0x7FFFFFF0), false},
      {"chunk 2^32", chunk(0xFFFFFFF0), false}, {"chunk 100000", chunk(100000), false},
      {"chunk sizes differ", patched(small, FirstType + 4, 8), false, "inconsistent"},
      {"NAME length absurd", patched(small, 12 + 8, 0x7FFFFFFF), false},
      {"packed object", patched(small, FirstType + 8, 0xFFFFFF00), false},
      {"bitmap wider than its pixels", patched(small, FirstType + 12, 0x00200064), false},  // 32 bits, 100 wide
      {"nested file", nested(1, inner), true}, {"nested 1000 deep", nested(1000), true},
      {"nested count beyond its chunk", nested(1, patched(inner, 0, 5)) + padding, false},
      {"nested chunk beyond its file", nested(1, patched(patched(inner, 8, 40), 12, 40)) + padding, false}});
  // A file of up to a gigabyte is read; these are sparse, so nothing is written.
  const std::string big = maketempdir() + "/big.dat";
  std::string why;
  for (uintmax_t size : {uintmax_t(1) << 30, (uintmax_t(1) << 30) + 1}) {
    writefile(big, ""), std::filesystem::resize_file(big, size);
    EXPECT_FALSE(checkdatafile(big.c_str(), why));
    EXPECT_EQ(why, size & 1 ? "too large" : "not an Allegro data file");
  }
}

TEST(DataFile, EntryCheckAndLoadingRejectShortFilesAndWrongTypes) {
  initallegro();
  std::vector<DATAFILE> copy(datafile, datafile + DataCount + 1);
  copy[DataCount].type = DAT_END;
  copy[DataUnused11].type = DAT_FONT;  // unused positions may hold anything
  std::string why;
  EXPECT_TRUE(checkdataentries(copy.data(), why)) << why;
  copy[DataFont].type = DAT_BITMAP;
  EXPECT_FALSE(checkdataentries(copy.data(), why));
  copy[DataFont].type = DAT_FONT;
  copy[DataCount - 1].type = DAT_END;  // 28 entries
  EXPECT_FALSE(checkdataentries(copy.data(), why));
  // Loading refuses damaged or short files.
  const std::string dir = maketempdir();
  DATAFILE* data = loaddatafile((rundir() + "/data.dat").c_str(), why);
  EXPECT_NE(data, nullptr) << why;
  if (data) unload_datafile(data);
  writefile(dir + "/cut.dat", readfile(rundir() + "/data.dat").substr(0, 1000));
  EXPECT_EQ(loaddatafile((dir + "/cut.dat").c_str(), why), nullptr);
  EXPECT_EQ(why.rfind("object 0: ", 0), 0u) << why;
  writefile(dir + "/short.dat", seed("bitmaps"));
  EXPECT_EQ(loaddatafile((dir + "/short.dat").c_str(), why), nullptr);
  EXPECT_EQ(why, "holds 6 entries, the game needs 29");
}

// Every kind of object Allegro reads, nested among the others, is accepted and loads; cut, it is refused.
TEST(DataFile, CheckFollowsAllegrosLoaderThroughEveryObjectType) {
  initallegro();
  std::string objects;
  const char* const names[] = {"bitmaps", "sprites", "rle8",     "rle16",      "rle32",    "samples", "midi",
                               "raw",     "fontfixed", "fontprop", "fontmono", "fontcolour", "fontdeep", "nested"};
  for (const char* name : names) objects += object(DAT_FILE, seed(name).substr(8));  // throws if the seed is missing
  const std::string all = file(objects, std::size(names));
  std::string why;
  ASSERT_TRUE(accepted(all, why)) << why;
  static const std::string path = maketempdir() + "/all.dat";
  writefile(path, all);
  DATAFILE* data = load_datafile(path.c_str());
  ASSERT_NE(data, nullptr);
  const DATAFILE* rle = static_cast<DATAFILE*>(data[4].dat);
  EXPECT_EQ(rle[0].type, DAT_RLE_SPRITE);
  EXPECT_EQ(static_cast<RLE_SPRITE*>(rle[0].dat)->h, 2);
  EXPECT_EQ(static_cast<DATAFILE*>(data[7].dat)[0].type, DAT_PALETTE);
  EXPECT_TRUE(is_color_font(static_cast<FONT*>(static_cast<DATAFILE*>(data[12].dat)[0].dat)));
  unload_datafile(data);
  for (size_t n = 8; n < all.size(); n += 3) EXPECT_FALSE(accepted(all.substr(0, n), why)) << "cut at " << n;
}

TEST(DataFile, CheckRefusesWhatWouldCrashOrLeakInTheLoader) {
  initallegro();
  auto rle = [](int bits, int w, int h, uint32_t size, const std::string& rows) {
    return file(object(DAT_RLE_SPRITE, be16(bits) + be16(w) + be16(h) + be32(size) + rows));
  };
  const std::string row16 = le16(0xFFFE) + le16(1) + le16(0x1234) + le16(0xF81F);  // skip 2, one pixel, end
  std::string font = be16(0) + be16(2) + "\x01" + be32(65) + be32(65) + be16(3) + be16(1) + "x" + "\x00" + be32(66) +
                     be32(66) + be16(1) + be16(1) + "y";
  const std::string midi = be16(96) + std::string(31 * 4, '\0') + be32(0xFFFFFFFF);  // the last of 32 tracks
  // Legacy fonts: 95 to 224 glyphs of 0x0, and then those given; a glyph of 65535 rows, 0 wide.
  auto legacy = [](int empty, const std::string& more) {
    return file(object(DAT_FONT, be16(0xFFFF) + std::string(empty * 4, '\0') + more));
  };
  auto tall = [](char bits) {
    return file(object(DAT_FONT, be16(0) + be16(1) + std::string(1, bits) + be32(65) + be32(65) + be16(0) + be16(0xFFFF)));
  };
  judge({
      {"16-bit sprite", rle(16, 3, 1, 8, row16), true},
      {"sprite copy larger than its size", rle(16, 3, 1, 6, row16), false},
      {"sprite size far beyond its copy", rle(16, 3, 1, 0x7C000000, row16), false},
      {"sprite row wider than the sprite", rle(16, 2, 1, 8, row16), false, "wider"},
      {"sprite row without its end", rle(16, 3, 1, 8, row16.substr(0, 6)), false},
      {"sprite of negative size", rle(16, 3, 1, 0xFFFFFFF8, row16), false},
      {"8-bit sprite rows beyond its size", rle(8, 3, 1, 2, std::string("\xfe\x01\x05\x00", 4)), false},
      // At 4 bytes a pixel once loaded, the budget takes 4000 square but not the size cap.
      {"sprite of 4000x4000 pixels", rle(16, 4000, 4000, 8000, times(le16(0xF81F), 4000)), true},
      {"sprite of 4096x4096 pixels", rle(16, 4096, 4096, 8192, times(le16(0xF81F), 4096)), false, "more than 64 MB once loaded"},
      {"sprite of 4096x4096 + 1 pixels", rle(16, 24929, 673, 1346, times(le16(0xF81F), 673)), false, "a sprite of 24929x673"},
      {"font of 1-bit and coloured ranges", file(object(DAT_FONT, font)), false, "mixing"},
      {"glyph of rows without width", tall(8), false}, {"1-bit glyph of rows without width", tall(1), false, "a glyph of 0x"},
      {"legacy font of 94 glyphs", legacy(94, ""), false}, {"legacy font of 95 glyphs", legacy(95, ""), true},
      {"legacy glyph 224 cut short", legacy(223, be16(1) + be16(1)), false},
      {"bytes after 224 legacy glyphs", legacy(224, be16(0) + be16(5)), true},  // not read
      {"sample of 2^28 frames", file(object(DAT_SAMPLE, be16(8) + be16(22050) + be32(1 << 28))), false, "beyond"},
      {"sample of 2^28 + 1 frames", file(object(DAT_SAMPLE, be16(8) + be16(22050) + be32((1 << 28) + 1))), false, "absurd"},
      {"MIDI track of negative length", file(object(DAT_MIDI, midi)), false, "a MIDI track"},
      {"object typed as a list's end", file(object(DAT_END, "abc")), false},
      {"property typed as a list's end", file(be32(DAT_PROPERTY) + be32(DAT_END) + be32(1) + "p" + object(DAT_DATA, "")), false}});
}

// Files that cost the loader far more than their size are refused with a short message naming the object.
TEST(DataFile, CheckHoldsHostileFilesToTheBudget) {
  initallegro();
  const std::string emptyglyphs = be16(0) + be16(1) + std::string(1, 8) + be32(32) + be32(32 + 999999);
  const std::string transparent = times(le16(0xF000) + le16(0xF81F), 4096);  // rows of 4096 transparent pixels
  const std::string sprite = object(DAT_RLE_SPRITE, be16(16) + be16(4096) + be16(4096) + be32(transparent.size()) + transparent);
  const std::string property = be32(DAT_PROPERTY) + be32(DAT_ID('X', 'Y', 'Z', ' ')) + be32(4) + "abcd";
  const std::string sixtyfour = times(times(property, 64) + object(DAT_DATA, "x"), 64);  // all the file may hold
  const std::string bitmap = be16(16) + be16(1) + be16(1) + "ab";
  judge({
      {"a million empty glyphs", file(object(DAT_FONT, emptyglyphs + std::string(4000000, '\0'))), false,
       "object 0: the data file would take more than 64 MB once loaded"},
      {"transparent sprite at the size cap", file(sprite + sprite, 2), false, "object 0: the data file would take"},
      {"65 properties on an object", file(times(property, 65) + object(DAT_DATA, "x")), false, "object 0: more than 64 properties"},
      {"64 properties on each of 64 objects", file(sixtyfour, 64), true},
      {"one more in the file", file(sixtyfour + property + object(DAT_DATA, "x"), 65), false,
       "object 64: more than 4096 properties in the file"},
      {"1.1 million empty objects", file(object(DAT_DATA, ""), 1100000) + std::string(13200000, '\0'), false,
       "the data file would take more than 64 MB once loaded"}});
  // A 1x1 bitmap padded to 200 MB (a sparse file) is read through whole.
  const std::string padded = maketempdir() + "/padded.dat";
  writefile(padded, file(be32(DAT_BITMAP) + be32(200 << 20) + be32(200 << 20) + bitmap));
  std::filesystem::resize_file(padded, (200 << 20) + 24);
  std::string why;
  EXPECT_FALSE(checkdatafile(padded.c_str(), why));
  EXPECT_EQ(why, "object 0: loading would read more than 128 MB");
  // Past the cap of nesting, the message keeps the ends of the place.
  EXPECT_FALSE(accepted(nested(1001), why));
  EXPECT_LT(why.size(), 300u) << why;
  EXPECT_EQ(why, "object 0/0/0/0/.../0/0/0/0 (in 1000 nested files): files nested too deep");
}
