// The saver's drawing-area table, its centring and where the blit puts the
// field's cells.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include "saver/placement.h"
#include "startup/numbers.h"

namespace varominea {
namespace {

struct Placement {
  int left, top, width, height;
};

// Size and centre as the saver's set-up does: an unknown ImageSize keeps the
// previous size (here 0 x 0), halves go to the even pixel.
std::optional<Placement> Place(std::int16_t image_size, std::int16_t screen_w,
                               std::int16_t screen_h, AreaSize previous = {0, 0}) {
  const AreaSize area = DrawingAreaFor(image_size, screen_w, screen_h).value_or(previous);
  const auto left = CentredOffset(screen_w, area.width);
  const auto top = CentredOffset(screen_h, area.height);
  if (!left || !top) return std::nullopt;
  return Placement{*ToInt16(*left), *ToInt16(*top), area.width, area.height};
}

TEST(SaverPlacementTest, DrawingAreaFollowsTheTableAndIsCentred) {
  struct Case {
    std::int16_t image_size, screen_w, screen_h;
    Placement expected;
  } cases[] = {
      {0, 1024, 768, {0, 0, 1024, 768}},    {1, 1024, 768, {112, 84, 800, 600}},
      {2, 1024, 768, {192, 144, 640, 480}}, {1, 640, 480, {-80, -60, 800, 600}},
      {2, 1366, 768, {363, 144, 640, 480}}, {0, 1366, 768, {0, 0, 1366, 768}},
      {3, 1024, 768, {512, 384, 0, 0}},     {-1, 1024, 768, {512, 384, 0, 0}},
      {32767, 1366, 768, {683, 384, 0, 0}},
  };
  for (const Case& c : cases) {
    const auto got = Place(c.image_size, c.screen_w, c.screen_h);
    ASSERT_TRUE(got) << "ImageSize " << c.image_size;
    EXPECT_EQ(got->left, c.expected.left) << "ImageSize " << c.image_size << " on " << c.screen_w;
    EXPECT_EQ(got->top, c.expected.top) << "ImageSize " << c.image_size << " on " << c.screen_w;
    EXPECT_EQ(got->width, c.expected.width) << "ImageSize " << c.image_size;
    EXPECT_EQ(got->height, c.expected.height) << "ImageSize " << c.image_size;
  }
}

TEST(SaverPlacementTest, UnknownImageSizeKeepsTheAreaItHad) {
  EXPECT_FALSE(DrawingAreaFor(3, 1024, 768));
  EXPECT_FALSE(DrawingAreaFor(-1, 1024, 768));
  const auto kept = Place(7, 1024, 768, AreaSize{800, 600});
  ASSERT_TRUE(kept);
  EXPECT_EQ(kept->left, 112);
  EXPECT_EQ(kept->width, 800);
}

TEST(SaverPlacementTest, CentringHalvesExactlyAndReportsOverflow) {
  EXPECT_EQ(CentredOffset(1023, 800), 111.5);  // the window system rounds
  EXPECT_EQ(CentredOffset(479, 600), -60.5);
  EXPECT_EQ(CentredOffset(-32768, 0), -16384.0);
  EXPECT_FALSE(CentredOffset(-32768, 1));  // 16-bit subtraction overflows
  EXPECT_FALSE(CentredOffset(32767, -1));
  EXPECT_EQ(CentredOffset(32767, 0), 16383.5);
}

TEST(SaverPlacementTest, OuterWindowIsLargerThanTheScreenUnlessThatIsTooLarge) {
  // 1024 px at 15 twips per pixel: 15,360 px asked for.
  EXPECT_EQ(OuterExtentTwips(1024L * 15 * 15, 1024L * 15, 15), 1024L * 15 * 15);
  EXPECT_EQ(OuterExtentTwips(2184L * 15 * 15, 2184L * 15, 15), 2184L * 15 * 15);  // 32,760 px
  // 2,185 px and more would need over 32,767 px: the screen's size instead.
  EXPECT_EQ(OuterExtentTwips(2185L * 15 * 15, 2185L * 15, 15), 2185L * 15);
  EXPECT_EQ(OuterExtentTwips(3840L * 15 * 15, 3840L * 15, 15), 3840L * 15);
  EXPECT_EQ(OuterExtentTwips(100, 1500, 0), 1500);
}

TEST(SaverBlitGeometryTest, SourceStartsOneColumnLeftAndTwoRowsBelowTheBitmap) {
  const FrameBlit blit = FrameBlitFor(800, 600);
  EXPECT_EQ(blit.dest_x, 0);
  EXPECT_EQ(blit.dest_y, 0);
  EXPECT_EQ(blit.dest_width, 800);
  EXPECT_EQ(blit.dest_height, 600);
  EXPECT_EQ(blit.src_x, -1);
  EXPECT_EQ(blit.src_y, -2);
  EXPECT_EQ(blit.src_width, 256);
  EXPECT_EQ(blit.src_height, 256);
}

TEST(SaverBlitGeometryTest, CellsStripsAndTheMiddleLandWhereExpected) {
  const FrameBlit blit = FrameBlitFor(800, 600);
  // Strips whose source lies outside the bitmap: 3.125 wide, 4.6875 high.
  EXPECT_DOUBLE_EQ(LeftStripColumns(blit).begin, 0);
  EXPECT_DOUBLE_EQ(LeftStripColumns(blit).end, 3.125);
  EXPECT_DOUBLE_EQ(BottomStripRows(blit).begin, 600 - 4.6875);
  EXPECT_DOUBLE_EQ(BottomStripRows(blit).end, 600);
  // Column 1 follows the strip; column 255 ends the area; 256 is off it.
  EXPECT_DOUBLE_EQ(CellColumns(blit, 1).begin, 3.125);
  EXPECT_DOUBLE_EQ(CellColumns(blit, 255).end, 800);
  EXPECT_GE(CellColumns(blit, 256).begin, 800);
  // Row 2 sits on the bottom strip; row 255 reaches the top; 256 is off it.
  EXPECT_DOUBLE_EQ(CellRows(blit, 2).end, 600 - 4.6875);
  EXPECT_DOUBLE_EQ(CellRows(blit, 255).begin, 0);
  EXPECT_LE(CellRows(blit, 256).end, 0);
  // The lower-left corner of cell (128, 128) is the area's centre.
  EXPECT_DOUBLE_EQ(CellColumns(blit, 128).begin, 400);
  EXPECT_DOUBLE_EQ(CellRows(blit, 128).end, 300);
  // Neighbouring cells tile without gaps.
  for (int i = 1; i < 255; ++i) {
    EXPECT_DOUBLE_EQ(CellColumns(blit, i).end, CellColumns(blit, i + 1).begin);
    EXPECT_DOUBLE_EQ(CellRows(blit, i + 1).end, CellRows(blit, i).begin);  // y + 1 is above y
  }
}

TEST(SaverBlitGeometryTest, InteriorPixelLiesWhollyInsideTheSpan) {
  EXPECT_EQ(InteriorPixel({4, 8}), 6);
  EXPECT_EQ(InteriorPixel({3.125, 6.25}), 4);
  EXPECT_EQ(InteriorPixel({595.3125, 597.65625}), 596);
  EXPECT_EQ(InteriorPixel({2.5, 3.5}), std::nullopt);  // no whole pixel fits
  EXPECT_EQ(InteriorPixel({-2.5, 0.25}), -2);
  for (double begin = 0; begin < 3; begin += 0.0625) {
    const auto pixel = InteriorPixel({begin, begin + 1.875});
    if (pixel) {
      EXPECT_GE(*pixel, begin);
      EXPECT_LE(*pixel + 1, begin + 1.875);
    }
  }
}

}  // namespace
}  // namespace varominea
