#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "makedata/bake.h"
#include "makedata/datawriter.h"
#include "support/testsupport.h"

namespace {

std::string bake(const std::string& path) {
  std::string why;
  EXPECT_TRUE(bakedatafile(path.c_str(), why)) << why;
  return readfile(path);
}

}  // namespace

TEST(MakeData, BakingTwiceGivesIdenticalBytes) {
  initallegro();
  std::string dir = maketempdir();
  std::string first = bake(dir + "/one.dat");
  std::string second = bake(dir + "/two.dat");
  ASSERT_GT(first.size(), 100000u);
  EXPECT_TRUE(first == second);
  // The build's own bake, in another process, wrote the same file too.
  EXPECT_TRUE(first == readfile(rundir() + "/data.dat"));
}

TEST(MakeData, WriterRoundTripsPixelsAlphaSamplesFontAndData) {
  initallegro();
  BITMAP* b = create_bitmap_ex(32, 3, 2);
  const int colours[6][4] = {{255, 0, 255, 0}, {1, 2, 3, 40}, {250, 128, 7, 255}, {0, 0, 0, 0}, {90, 200, 30, 128}, {17, 34, 51, 68}};
  for (int i = 0; i < 6; i++) putpixel(b, i % 3, i / 3, makeacol32(colours[i][0], colours[i][1], colours[i][2], colours[i][3]));
  Sound sound;
  sound.freq = 11025;
  sound.samples = {0, 32767, -32768, 1234, -5};
  MonoGlyph bar{2, 3, {0x80, 0xC0, 0x40}};  // rows: X. / XX / .X
  MonoGlyph blank{4, 3, {0, 0, 0}};
  std::string path = maketempdir() + "/roundtrip.dat";
  ASSERT_TRUE(writedatafile(path.c_str(), {bitmapobject("PLAIN", b, false), bitmapobject("ALPHA", b, true),
                                           soundobject("SOUND", sound), monofontobject("FONT", 'A', {bar, blank}),
                                           dataobject("DATA", std::string("\0\1\2", 3))}));
  destroy_bitmap(b);
  set_color_conversion(COLORCONV_NONE);
  DATAFILE* data = load_datafile(path.c_str());
  set_color_conversion(COLORCONV_16_TO_32);
  ASSERT_NE(data, nullptr);

  BITMAP* plain = static_cast<BITMAP*>(data[0].dat);
  BITMAP* alpha = static_cast<BITMAP*>(data[1].dat);
  for (int i = 0; i < 6; i++) {
    int p = getpixel(plain, i % 3, i / 3), a = getpixel(alpha, i % 3, i / 3);
    EXPECT_EQ(getr32(p), colours[i][0]);
    EXPECT_EQ(getg32(p), colours[i][1]);
    EXPECT_EQ(getb32(p), colours[i][2]);
    EXPECT_EQ(getr32(a), colours[i][0]);
    EXPECT_EQ(geta32(a), colours[i][3]);
  }
  EXPECT_EQ(getpixel(plain, 0, 0), bitmap_mask_color(plain));  // magenta stays the mask

  SAMPLE* s = static_cast<SAMPLE*>(data[2].dat);
  EXPECT_EQ(s->bits, 16);
  EXPECT_EQ(s->freq, 11025);
  ASSERT_EQ(s->len, 5u);
  const unsigned short unsignedsamples[] = {32768, 65535, 0, 34002, 32763};
  for (int i = 0; i < 5; i++) EXPECT_EQ(static_cast<unsigned short*>(s->data)[i], unsignedsamples[i]);

  FONT* f = static_cast<FONT*>(data[3].dat);
  EXPECT_EQ(text_height(f), 3);
  EXPECT_EQ(text_length(f, "AB"), 6);
  BITMAP* canvas = create_bitmap_ex(32, 6, 3);
  clear_to_color(canvas, 0);
  textout_ex(canvas, f, "A", 0, 0, makecol32(9, 9, 9), -1);
  const char* expected = "X.XX.X";
  for (int i = 0; i < 6; i++) EXPECT_EQ(getpixel(canvas, i % 2, i / 2) != 0, expected[i] == 'X') << i;
  destroy_bitmap(canvas);

  EXPECT_EQ(data[4].type, DAT_DATA);
  EXPECT_EQ(std::string(static_cast<char*>(data[4].dat), data[4].size), std::string("\0\1\2", 3));
  EXPECT_STREQ(get_datafile_property(&data[4], DAT_NAME), "DATA");
  unload_datafile(data);
}

TEST(MakeData, UnwritablePathIsReported) {
  initallegro();
  std::string why;
  EXPECT_FALSE(bakedatafile((maketempdir() + "/no/such/dir/data.dat").c_str(), why));
  EXPECT_NE(why.find("cannot write"), std::string::npos) << why;
}
