// The field cell that each destination pixel of the stretching blit shows:
// the cell under the pixel's centre, in agreement with the exact spans of the
// blit geometry, at window sizes larger, smaller and odd.
#include <gtest/gtest.h>

#include <optional>
#include <utility>

#include "core/placement.h"
#include "tests/support/cells.h"

namespace varominea {
namespace {

using namespace test;

// A centre exactly on the line between two cells may show either of them.
bool Contains(Span span, double at) {
  return at >= span.begin && at <= span.end;
}

const std::pair<int, int> kSizes[] = {{1024, 768}, {800, 600}, {640, 480},  {1023, 767},
                                      {256, 256},  {257, 513}, {255, 100},  {100, 37},
                                      {3, 2},      {1, 1},     {3840, 2160}};

TEST(StretchMapTest, EachColumnShowsTheCellItsCentreLiesInAndTheStripShowsNone) {
  for (const auto& [width, height] : kSizes) {
    SCOPED_TRACE(testing::Message() << width << " x " << height);
    const FrameBlit blit =
        FrameBlitFor(static_cast<std::int16_t>(width), static_cast<std::int16_t>(height));
    int previous = 0;
    int distinct = 0;
    for (int px = 0; px < width; ++px) {
      const double centre = px + 0.5;
      const std::optional<int> x = FieldColumnAt(blit, px);
      if (!x) {
        EXPECT_TRUE(Contains(LeftStripColumns(blit), centre)) << "column " << px;
        EXPECT_EQ(previous, 0) << "the strip lies at the left edge only";
        continue;
      }
      ASSERT_GE(*x, 1);
      ASSERT_LE(*x, 255) << "field column 256 is never shown";
      EXPECT_TRUE(Contains(CellColumns(blit, *x), centre)) << "column " << px;
      EXPECT_GE(*x, previous);
      if (*x != previous) ++distinct;
      previous = *x;
    }
    // Wide enough, every shown column of the field appears.
    if (width >= 256) {
      EXPECT_EQ(distinct, 255);
    }
  }
}

TEST(StretchMapTest, EachRowShowsTheCellItsCentreLiesInAndTheBottomStripShowsNone) {
  for (const auto& [width, height] : kSizes) {
    SCOPED_TRACE(testing::Message() << width << " x " << height);
    const FrameBlit blit =
        FrameBlitFor(static_cast<std::int16_t>(width), static_cast<std::int16_t>(height));
    int previous = 256;
    int distinct = 0;
    bool in_strip = false;
    for (int py = 0; py < height; ++py) {
      const double centre = py + 0.5;
      const std::optional<int> y = FieldRowAt(blit, py);
      if (!y) {
        EXPECT_TRUE(Contains(BottomStripRows(blit), centre)) << "row " << py;
        in_strip = true;
        continue;
      }
      EXPECT_FALSE(in_strip) << "the strip lies at the bottom edge only";
      ASSERT_GE(*y, 2);
      ASSERT_LE(*y, 255) << "rows 256 to 258 are never shown";
      EXPECT_TRUE(Contains(CellRows(blit, *y), centre)) << "row " << py;
      EXPECT_LE(*y, previous) << "the bitmap is bottom-up";
      if (*y != previous) ++distinct;
      previous = *y;
    }
    if (height >= 256) {
      EXPECT_EQ(distinct, 254);
    }
  }
}

TEST(StretchMapTest, PixelsOutsideTheDestinationShowNothing) {
  const FrameBlit blit = FrameBlitFor(800, 600);
  EXPECT_EQ(FieldColumnAt(blit, -1), std::nullopt);
  EXPECT_EQ(FieldColumnAt(blit, 800), std::nullopt);
  EXPECT_EQ(FieldRowAt(blit, -1), std::nullopt);
  EXPECT_EQ(FieldRowAt(blit, 600), std::nullopt);
  // 3.125 px per column: pixels 0..2 are the strip, 3 is column 1, 799 column 255.
  EXPECT_EQ(FieldColumnAt(blit, 2), std::nullopt);
  EXPECT_EQ(FieldColumnAt(blit, 3), 1);
  EXPECT_EQ(FieldColumnAt(blit, 799), 255);
  // 2.34375 px per row: the bottom 4.6875 px are the strip; the top row shows row 255.
  EXPECT_EQ(FieldRowAt(blit, 0), 255);
  EXPECT_EQ(FieldRowAt(blit, 594), 2);
  EXPECT_EQ(FieldRowAt(blit, 595), std::nullopt);
  // An empty drawing area shows nothing anywhere.
  const FrameBlit empty = FrameBlitFor(0, 0);
  EXPECT_EQ(FieldColumnAt(empty, 0), std::nullopt);
  EXPECT_EQ(FieldRowAt(empty, 0), std::nullopt);
}

}  // namespace
}  // namespace varominea
