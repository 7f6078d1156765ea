#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "makedata/icon.h"
#include "makedata/png.h"
#include "support/testsupport.h"

namespace {

// The pixels ImageMagick reads from a PNG file, four bytes each; empty when it cannot.
std::vector<uint8_t> decoded(const std::string& path) {
  std::vector<uint8_t> rgba;
  if (FILE* p = popen(("convert '" + path + "' -depth 8 rgba:- 2>/dev/null").c_str(), "r")) {
    uint8_t buf[65536];
    for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) rgba.insert(rgba.end(), buf, buf + n);
    pclose(p);
  }
  return rgba;
}

}  // namespace

// Image data in one stored block, ending on a block's end, and in several, read back by a decoder
// that also checks every CRC and the Adler sum.
TEST(Png, AnotherDecoderReadsBackEveryPixelAndItsAlpha) {
  const std::string dir = maketempdir();
  struct Size { int w, h; } sizes[] = {{1, 1}, {21, 1542}, {300, 250}};
  for (Size s : sizes) {
    SCOPED_TRACE(std::to_string(s.w) + "x" + std::to_string(s.h));
    std::vector<uint8_t> rgba(size_t(s.w) * s.h * 4);
    for (size_t i = 0; i < rgba.size(); i++) rgba[i] = uint8_t(i * 7 + i / 1031);
    std::string why, path = dir + "/p.png";
    ASSERT_TRUE(writepng(path.c_str(), s.w, s.h, rgba, why)) << why;
    EXPECT_TRUE(decoded(path) == rgba);
  }
  // 21x1542: signature, header, data chunk frame, zlib header, two full stored blocks, sum, end.
  EXPECT_EQ(encodepng(21, 1542, std::vector<uint8_t>(21 * 1542 * 4)).size(), 8 + 25 + 12 + 2 + 2 * 5 + 131070 + 4 + 12u);
  std::string why;
  EXPECT_FALSE(writepng((dir + "/missing/p.png").c_str(), 1, 1, {0, 0, 0, 0}, why));
  EXPECT_NE(why.find("missing/p.png"), std::string::npos) << why;
}

TEST(Icon, TheShipOnAClearGroundWithSmoothedEdges) {
  initallegro();
  for (int size : {32, 48}) {
    SCOPED_TRACE(size);
    Picture icon = makeicon(size);
    ASSERT_TRUE(icon);
    ASSERT_EQ(icon->w, size);
    ASSERT_EQ(icon->h, size);
    int clear = 0, solid = 0, partial = 0, glass = 0;
    for (int y = 0; y < size; y++)
      for (int x = 0; x < size; x++) {
        int c = getpixel(icon.get(), x, y), a = geta32(c);
        clear += a == 0, solid += a == 255, partial += a > 0 && a < 255;
        glass += a == 255 && getb32(c) > 150 && getr32(c) < 120;  // the cockpit window
      }
    EXPECT_EQ(geta32(getpixel(icon.get(), 0, 0)), 0);
    EXPECT_EQ(geta32(getpixel(icon.get(), size - 1, size - 1)), 0);
    EXPECT_GT(solid, size * size / 3);
    EXPECT_GT(clear, size * size / 5);
    EXPECT_GT(partial, size);
    EXPECT_GT(glass, 0);
  }
}
