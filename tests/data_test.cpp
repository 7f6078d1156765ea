#include "data.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "main.h"
#include "makedata/datawriter.h"
#include "support/testsupport.h"

namespace {

BITMAP* bitmapat(int i) { return static_cast<BITMAP*>(datafile[i].dat); }

std::string stageddata() { return rundir() + "/data.dat"; }

bool ismask(BITMAP* b, int x, int y) { return getpixel(b, x, y) == bitmap_mask_color(b); }

// The hue (degrees) of the strongly coloured pixels of a sprite, averaged
// round the colour circle, and the share of painted pixels that are
// strongly coloured at all (outlines, eyes and labels are not).
double meanhue(BITMAP* b, double* colouredshare = nullptr) {
  double sx = 0, sy = 0, coloured = 0, painted = 0;
  int depth = bitmap_color_depth(b);
  for (int y = 0; y < b->h; y++)
    for (int x = 0; x < b->w; x++) {
      if (ismask(b, x, y)) continue;
      painted++;
      int c = getpixel(b, x, y);
      float h, s, v;
      rgb_to_hsv(getr_depth(depth, c), getg_depth(depth, c), getb_depth(depth, c), &h, &s, &v);
      if (s < 0.5f || v < 0.35f) continue;
      coloured++;
      sx += std::cos(h * M_PI / 180);
      sy += std::sin(h * M_PI / 180);
    }
  if (colouredshare) *colouredshare = coloured / painted;
  double h = std::atan2(sy, sx) * 180 / M_PI;
  return h < 0 ? h + 360 : h;
}

double huedistance(double a, double b) {
  double d = std::fabs(a - b);
  return std::min(d, 360 - d);
}

// Index of the hue in `hues` nearest to the sprite's hue.
size_t nearesthue(BITMAP* b, const std::vector<double>& hues) {
  double h = meanhue(b);
  size_t best = 0;
  for (size_t i = 1; i < hues.size(); i++)
    if (huedistance(h, hues[i]) < huedistance(h, hues[best])) best = i;
  return best;
}

std::string writetemp(const std::string& bytes) {
  std::string path = maketempdir() + "/data.dat";
  writefile(path, bytes);
  return path;
}

bool accepted(const std::string& bytes, std::string* reason = nullptr) {
  std::string why;
  bool ok = checkdatafile(writetemp(bytes).c_str(), why);
  if (reason) *reason = why;
  return ok;
}

// A small but complete file: one object of each kind the game stores.
std::string smallfile() {
  std::string path = maketempdir() + "/small.dat";
  BITMAP* b = create_bitmap_ex(32, 3, 2);
  clear_to_color(b, makecol32(10, 20, 30));
  Sound s;
  s.samples = {0, 1000, -1000};
  MonoGlyph g{3, 2, {0xA0, 0x40}};
  std::vector<DataObject> objects = {bitmapobject("B", b, false), bitmapobject("A", b, true), soundobject("S", s),
                                     monofontobject("F", 65, {g, g}), dataobject("D", "xyz")};
  destroy_bitmap(b);
  EXPECT_TRUE(writedatafile(path.c_str(), objects));
  return readfile(path);
}

void put32(std::string& bytes, size_t at, uint32_t v) {
  for (int i = 0; i < 4; i++) bytes[at + i] = static_cast<char>(v >> (24 - 8 * i));
}

std::string be32(uint32_t v) {
  std::string s(4, '\0');
  put32(s, 0, v);
  return s;
}

// The offset of the first object's type word: after the 12-byte header
// and its NAME property (12 bytes plus the one-letter name).
const size_t FirstType = 12 + 12 + 1;

}  // namespace

TEST(DataFile, BakedFileHasEveryEntryAtItsPositionWithItsType) {
  initallegro();
  std::string why;
  EXPECT_TRUE(checkdatafile(stageddata().c_str(), why)) << why;
  EXPECT_TRUE(checkdataentries(datafile, why)) << why;
  int count = 0;
  while (datafile[count].type != DAT_END) count++;
  EXPECT_GE(count, DataCount);
  for (int i = 0; i < DataCount; i++) {
    if (DataEntryTypes[i] != 0) {
      EXPECT_EQ(datafile[i].type, DataEntryTypes[i]) << "entry " << i;
    }
    EXPECT_NE(datafile[i].dat, nullptr) << "entry " << i;
  }
  for (int i : {DataShotSound, DataShipExplodeSound, DataShipHitSound, DataEnemyDeathSound}) EXPECT_EQ(datafile[i].type, DAT_SAMPLE);
  EXPECT_EQ(datafile[DataFont].type, DAT_FONT);
  for (int i : {DataTitle, DataBaseStart, DataBaseExit, DataDirt1, DataDirt2, DataDirt3, DataExplosion, DataPanel,
                DataBlueWibblet, DataGreenWibblet, DataOrangeWibblet, DataYellowWibblet, DataRock, DataShip,
                DataEnemyExplosion, DataEmptyTank, DataTankHCl, DataTankHF, DataTankHydrogen, DataTankOxygen})
    EXPECT_EQ(datafile[i].type, DAT_BITMAP) << "entry " << i;
}

TEST(DataFile, PicturesHaveTheSizesTheGameDrawsThemAt) {
  initallegro();
  BITMAP* ship = bitmapat(DataShip);
  EXPECT_LE(ship->w, 36);
  EXPECT_LE(ship->h, 36);
  // rotate_sprite turns the ship about (w/2, h/2); every painted pixel's
  // far corner must stay within the 26-pixel square the ship redraws.
  for (int y = 0; y < ship->h; y++)
    for (int x = 0; x < ship->w; x++)
      if (!ismask(ship, x, y)) {
        double dx = std::max(std::fabs(x - ship->w / 2.0), std::fabs(x + 1 - ship->w / 2.0));
        double dy = std::max(std::fabs(y - ship->h / 2.0), std::fabs(y + 1 - ship->h / 2.0));
        EXPECT_LE(std::hypot(dx, dy), 26.0) << x << "," << y;
      }
  for (int i : {DataBlueWibblet, DataGreenWibblet, DataOrangeWibblet, DataYellowWibblet}) {
    EXPECT_GE(bitmapat(i)->w, 24) << i;
    EXPECT_LE(bitmapat(i)->w, 40) << i;
  }
  for (int i : {DataBaseStart, DataBaseExit}) {
    EXPECT_GE(bitmapat(i)->w, 64);
    EXPECT_LE(bitmapat(i)->w, 96);
    EXPECT_LE(bitmapat(i)->h, 40);
  }
  for (int i : {DataTankHCl, DataTankHF, DataTankHydrogen, DataTankOxygen}) {
    EXPECT_GE(bitmapat(i)->w, 24);
    EXPECT_LE(bitmapat(i)->w, 40);
    EXPECT_LE(bitmapat(i)->h, 40);
    // A drained tank takes the full tank's place and dirty rectangle.
    EXPECT_LE(bitmapat(DataEmptyTank)->w, bitmapat(i)->w);
    EXPECT_LE(bitmapat(DataEmptyTank)->h, bitmapat(i)->h);
  }
  for (int i : {DataExplosion, DataEnemyExplosion}) {
    EXPECT_GE(bitmapat(i)->w, 24);
    EXPECT_LE(bitmapat(i)->w, 48);
  }
  EXPECT_EQ(bitmapat(DataPanel)->w, 64);
  EXPECT_EQ(bitmapat(DataPanel)->h, 48);
  EXPECT_EQ(bitmapat(DataTitle)->w, 640);
  EXPECT_EQ(bitmapat(DataTitle)->h, 120);
  EXPECT_EQ(bitmapat(DataRock)->w, 256);
  EXPECT_EQ(bitmapat(DataRock)->h, 256);
}

TEST(DataFile, SpritesAreMaskedAndColouredAsTheirShotsAndBars) {
  initallegro();
  for (int i : {DataShip, DataBlueWibblet, DataGreenWibblet, DataOrangeWibblet, DataYellowWibblet, DataBaseStart,
                DataBaseExit, DataExplosion, DataEnemyExplosion, DataEmptyTank, DataTankHCl, DataTankHF,
                DataTankHydrogen, DataTankOxygen}) {
    BITMAP* b = bitmapat(i);
    EXPECT_TRUE(ismask(b, 0, 0)) << "entry " << i << " has no transparent corner";
  }
  // Bases and tanks stand on the cave floor by their bottom edge.
  for (int i : {DataBaseStart, DataBaseExit, DataEmptyTank, DataTankHCl, DataTankHF, DataTankHydrogen, DataTankOxygen}) {
    BITMAP* b = bitmapat(i);
    int standing = 0;
    for (int x = 0; x < b->w; x++) standing += !ismask(b, x, b->h - 1);
    EXPECT_GE(standing, 6) << "entry " << i;
  }
  // The hues of the shots: blue, green, orange (255,192,0), yellow.
  const std::vector<double> shots = {240, 120, 45, 60};
  const int wibblets[] = {DataBlueWibblet, DataGreenWibblet, DataOrangeWibblet, DataYellowWibblet};
  for (size_t k = 0; k < 4; k++) EXPECT_EQ(nearesthue(bitmapat(wibblets[k]), shots), k) << "wibblet " << k;
  // The hues of the panel's bars: hydrogen red, oxygen blue, HCl, HF.
  const std::vector<double> bars = {0, 240, 60, 120};
  const int tanks[] = {DataTankHydrogen, DataTankOxygen, DataTankHCl, DataTankHF};
  for (size_t k = 0; k < 4; k++) EXPECT_EQ(nearesthue(bitmapat(tanks[k]), bars), k) << "tank " << k;
  double coloured = 1;
  meanhue(bitmapat(DataEmptyTank), &coloured);
  EXPECT_LT(coloured, 0.1) << "a drained tank is grey";
}

TEST(DataFile, RockTileWrapsWithoutASeam) {
  initallegro();
  BITMAP* rock = bitmapat(DataRock);
  auto diff = [&](int x1, int y1, int x2, int y2) {
    int a = getpixel(rock, x1, y1), b = getpixel(rock, x2, y2);
    return std::abs(getr32(a) - getr32(b)) + std::abs(getg32(a) - getg32(b)) + std::abs(getb32(a) - getb32(b));
  };
  double inside = 0, acrossx = 0, acrossy = 0;
  for (int i = 0; i < 128; i++) {
    inside += diff(63, i, 64, i) + diff(i, 63, i, 64);
    acrossx += diff(127, i, 0, i);
    acrossy += diff(i, 127, i, 0);
  }
  // The jump across the tile's wrap is no larger than between neighbours.
  EXPECT_LE(acrossx, inside);
  EXPECT_LE(acrossy, inside);
}

TEST(DataFile, DirtKeepsItsAlphaAndFadesToNothingAtItsEdges) {
  initallegro();
  for (int i : {DataDirt1, DataDirt2, DataDirt3}) {
    BITMAP* dirt = bitmapat(i);
    ASSERT_EQ(bitmap_color_depth(dirt), 32) << i;
    EXPECT_EQ(dirt->w, 128);
    EXPECT_EQ(dirt->h, 128);
    int edge = 0;
    for (int k = 0; k < 128; k++)
      edge += geta32(getpixel(dirt, k, 0)) + geta32(getpixel(dirt, k, 127)) + geta32(getpixel(dirt, 0, k)) + geta32(getpixel(dirt, 127, k));
    EXPECT_EQ(edge, 0) << i;
    EXPECT_GT(geta32(getpixel(dirt, 64, 64)), 60) << i;
  }
}

TEST(DataFile, FontIsReadableAndTakesTheTextColour) {
  initallegro();
  FONT* f = static_cast<FONT*>(datafile[DataFont].dat);
  EXPECT_GE(text_height(f), 14);
  EXPECT_LE(text_height(f), 20);
  EXPECT_GT(text_length(f, "iiii"), 0);
  EXPECT_LT(text_length(f, "iiii"), text_length(f, "MMMM"));  // proportional
  for (int c = 33; c <= 126; c++) {
    char s[2] = {static_cast<char>(c), 0};
    EXPECT_GT(text_length(f, s), 0) << c;
  }
  BITMAP* b = create_bitmap_ex(32, 200, 40);
  clear_to_color(b, makecol32(80, 60, 0));
  textout_ex(b, f, "Wibblet 42", 2, 2, makecol32(255, 255, 255), -1);
  int white = 0;
  for (int y = 0; y < 40; y++)
    for (int x = 0; x < 200; x++) white += getpixel(b, x, y) == makecol32(255, 255, 255);
  destroy_bitmap(b);
  EXPECT_GT(white, 40);
}

TEST(DataFile, SoundsAreShortAudibleAndDistinct) {
  initallegro();
  std::vector<SAMPLE*> sounds;
  for (int i : {DataShotSound, DataShipExplodeSound, DataShipHitSound, DataEnemyDeathSound}) {
    SAMPLE* s = static_cast<SAMPLE*>(datafile[i].dat);
    sounds.push_back(s);
    EXPECT_FALSE(s->stereo);
    EXPECT_TRUE(s->bits == 8 || s->bits == 16);
    EXPECT_GE(s->freq, 11025);
    EXPECT_LE(s->freq, 44100);
    double seconds = static_cast<double>(s->len) / s->freq;
    EXPECT_GE(seconds, 0.1) << i;
    EXPECT_LE(seconds, 2.0) << i;
    long peak = 0;
    for (unsigned long k = 0; k < s->len; k++) {
      long v = s->bits == 16 ? static_cast<unsigned short*>(s->data)[k] - 32768L : (static_cast<unsigned char*>(s->data)[k] - 128L) * 256;
      peak = std::max(peak, std::labs(v));
    }
    EXPECT_GT(peak, 8000) << i;
  }
  for (size_t a = 0; a < sounds.size(); a++)
    for (size_t b = a + 1; b < sounds.size(); b++) EXPECT_NE(sounds[a]->len, sounds[b]->len);
}

TEST(DataFile, SixteenBitDisplayKeepsMasksAndDirtAlpha) {
  initallegro();
  set_color_depth(16);
  set_color_conversion(COLORCONV_32_TO_16);
  DATAFILE* data = load_datafile(stageddata().c_str());
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

TEST(DataFile, CheckAcceptsCompleteFilesAndRejectsEveryTruncation) {
  initallegro();
  std::string small = smallfile();
  std::string why;
  EXPECT_TRUE(accepted(small, &why)) << why;
  std::string path = maketempdir() + "/cut.dat";
  for (size_t n = 0; n < small.size(); n++) {
    writefile(path, small.substr(0, n));
    EXPECT_FALSE(checkdatafile(path.c_str(), why)) << "cut at " << n;
  }
  std::string staged = readfile(stageddata());
  ASSERT_GT(staged.size(), 1000u);
  for (size_t n = 0; n < staged.size(); n += staged.size() / 97 + 1) {
    writefile(path, staged.substr(0, n));
    EXPECT_FALSE(checkdatafile(path.c_str(), why)) << "cut at " << n;
  }
  writefile(path, staged.substr(0, staged.size() - 1));
  EXPECT_FALSE(checkdatafile(path.c_str(), why));
}

TEST(DataFile, CheckRejectsHeaderOnlyWrongMagicAndCompression) {
  initallegro();
  std::string small = smallfile();
  std::string why;
  EXPECT_FALSE(accepted(small.substr(0, 8), &why));
  EXPECT_FALSE(accepted(small.substr(0, 12) , &why));
  EXPECT_FALSE(accepted("", &why));
  std::string wrong = small;
  wrong[5] = 'X';  // "ALL." -> "AXL."
  EXPECT_FALSE(accepted(wrong, &why));
  std::string packed = small;
  packed[3] = '!';  // "slh." -> "slh!": a compressed file
  EXPECT_FALSE(accepted(packed, &why));
  EXPECT_NE(why.find("compressed"), std::string::npos) << why;
  EXPECT_FALSE(checkdatafile((maketempdir() + "/missing.dat").c_str(), why));
  EXPECT_FALSE(checkdatafile(maketempdir().c_str(), why));
}

TEST(DataFile, CheckRejectsCountsAndSizesThatCannotFit) {
  initallegro();
  const std::string small = smallfile();
  std::string bad = small;
  for (uint32_t count : {0x7FFFFFFFu, 0xFFFFFFFFu, 6u}) {
    put32(bad = small, 8, count);
    EXPECT_FALSE(accepted(bad)) << "count " << count;
  }
  for (uint32_t size : {0x7FFFFFF0u, 0xFFFFFFF0u, 100000u}) {
    put32(bad = small, FirstType + 4, size);  // packed size
    put32(bad, FirstType + 8, size);          // unpacked size
    EXPECT_FALSE(accepted(bad)) << "chunk size " << size;
  }
  put32(bad = small, 12 + 8, 0x7FFFFFFF);  // the NAME property's length
  EXPECT_FALSE(accepted(bad));
  put32(bad = small, FirstType + 8, 0xFFFFFF00);  // a packed object
  EXPECT_FALSE(accepted(bad));
  bad = small;
  bad[FirstType + 12 + 3] = 100;  // a 3x2 bitmap claiming to be 100 wide
  EXPECT_FALSE(accepted(bad));
}

TEST(DataFile, CheckWalksNestedFiles) {
  initallegro();
  // A file holding one nested file, which holds one 3-byte data object.
  std::string inner = be32(1) + be32(DAT_DATA) + be32(3) + be32(3) + "abc";
  std::string head = be32(F_NOPACK_MAGIC) + be32(DAT_MAGIC) + be32(1) + be32(DAT_FILE) + be32(inner.size()) + be32(inner.size());
  EXPECT_TRUE(accepted(head + inner));
  std::string overcount = inner;
  put32(overcount, 0, 5);
  EXPECT_FALSE(accepted(head + overcount + std::string(100, '\0')));  // the surplus lies outside the chunk
  std::string overlong = inner;
  put32(overlong, 8, 40);
  put32(overlong, 12, 40);
  EXPECT_FALSE(accepted(head + overlong + std::string(100, '\0')));
  // Files nested a few deep are fine; thousands deep would exhaust the stack.
  auto nest = [](int levels) {
    std::string body = be32(0);
    for (int i = 0; i < levels; i++) body = be32(1) + be32(DAT_FILE) + be32(body.size()) + be32(body.size()) + body;
    return be32(F_NOPACK_MAGIC) + be32(DAT_MAGIC) + body;
  };
  EXPECT_TRUE(accepted(nest(4)));
  std::string why;
  EXPECT_FALSE(accepted(nest(5000), &why));
  EXPECT_NE(why.find("deep"), std::string::npos) << why;
}

TEST(DataFile, EntryCheckRejectsShortFilesAndWrongTypes) {
  initallegro();
  std::vector<DATAFILE> copy(datafile, datafile + DataCount + 1);
  copy[DataCount].type = DAT_END;
  std::string why;
  EXPECT_TRUE(checkdataentries(copy.data(), why)) << why;
  copy[DataUnused11].type = DAT_FONT;  // unused positions may hold anything
  EXPECT_TRUE(checkdataentries(copy.data(), why)) << why;
  copy[DataFont].type = DAT_BITMAP;
  EXPECT_FALSE(checkdataentries(copy.data(), why));
  copy[DataFont].type = DAT_FONT;
  copy[DataCount - 1].type = DAT_END;
  EXPECT_FALSE(checkdataentries(copy.data(), why));
  EXPECT_FALSE(checkdataentries(nullptr, why));
}
