#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <cstring>

#include "saver/dib_header.h"

namespace varominea {
namespace {

DibHeaderRecord FilledWith(unsigned char byte) {
  DibHeaderRecord dib;
  std::memset(&dib, byte, sizeof dib);
  return dib;
}

// Telling entries, then the rule as a whole: a walk in steps of 8 per
// changing channel within 48..224 (entry 177 apart), repeating from 178.
TEST(PaletteTest, ColourTable) {
  DibHeaderRecord dib = FilledWith(0xAB);
  ReadPAL_Newton(dib);
  const struct {
    int i, red, green, blue;
  } telling[] = {{0, 48, 48, 48},   {1, 56, 48, 56},      {21, 216, 48, 216},  {43, 56, 48, 224},
                 {88, 48, 224, 48}, {110, 224, 224, 224}, {175, 56, 48, 48},   {176, 48, 48, 48},
                 {177, 40, 48, 48}, {178, 48, 48, 48},    {199, 216, 48, 216}, {255, 48, 224, 136}};
  for (const auto& t : telling) {
    const RgbQuad& q = dib.bmiColors[t.i];
    EXPECT_EQ((std::array<int, 3>{q.rgbRed, q.rgbGreen, q.rgbBlue}),
              (std::array<int, 3>{t.red, t.green, t.blue}))
        << "entry " << t.i;
  }
  for (int i = 0; i < 256; ++i) {
    const RgbQuad& q = dib.bmiColors[i];
    EXPECT_EQ(q.rgbReserved, 0) << "entry " << i;
    for (int v : {q.rgbRed, q.rgbGreen, q.rgbBlue}) {
      EXPECT_TRUE(i == 177 || (v >= 48 && v <= 224 && v % 8 == 0)) << "entry " << i;
    }
    if (i >= 1 && i <= 177) {
      const RgbQuad& p = dib.bmiColors[i - 1];
      int changed = 0;
      for (int m : {q.rgbRed - p.rgbRed, q.rgbGreen - p.rgbGreen, q.rgbBlue - p.rgbBlue}) {
        EXPECT_TRUE(m == 0 || std::abs(m) == 8) << "entry " << i;
        changed += m != 0;
      }
      EXPECT_GE(changed, 1) << "entry " << i;
    }
    if (i >= 178) {
      EXPECT_EQ(std::memcmp(&q, &dib.bmiColors[i - 178], sizeof q), 0) << "entry " << i;
    }
  }
  const DibHeaderRecord untouched = FilledWith(0xAB);
  EXPECT_EQ(std::memcmp(&dib.bmiHeader, &untouched.bmiHeader, sizeof dib.bmiHeader), 0);
}

TEST(PaletteTest, HeaderDescribesTheBlockAndLeavesTheTable) {
  DibHeaderRecord dib = FilledWith(0xCD);
  FillDibHeader(dib, KernelParamBlock{256, 256, nullptr});
  const BitmapInfoHeader& h = dib.bmiHeader;
  EXPECT_EQ(h.biSize, 40u);
  EXPECT_EQ(h.biWidth, 256);
  EXPECT_EQ(h.biHeight, 256);
  EXPECT_EQ(h.biPlanes, 1);
  EXPECT_EQ(h.biBitCount, 8);
  for (std::int64_t v : {std::int64_t{h.biCompression}, std::int64_t{h.biSizeImage},
                         std::int64_t{h.biXPelsPerMeter}, std::int64_t{h.biYPelsPerMeter},
                         std::int64_t{h.biClrUsed}, std::int64_t{h.biClrImportant}}) {
    EXPECT_EQ(v, 0);
  }
  for (const RgbQuad& q : dib.bmiColors) EXPECT_EQ(q.rgbBlue, 0xCD);
}

}  // namespace
}  // namespace varominea
