// The page glue over the core: the source picture the canvas enlarges, and
// the drawing area in a canvas.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "core/placement.h"
#include "tests/support/cells.h"
#include "web/frame_source.h"

namespace {

using varominea::ByteField;
using varominea::web::FrameSource;

// A canvas pixel (RGBA in memory order) as 0xRRGGBB.
std::uint32_t Rgb(std::uint32_t rgba) {
  return ((rgba & 0xFF) << 16) | (rgba & 0xFF00) | ((rgba >> 16) & 0xFF);
}

// Enlarged 1:1, the picture must be what the saver's blit shows at 256 x 256:
// the cell that FieldColumnAt / FieldRowAt name, black where they name none.
TEST(WebFrameTest, PictureIsTheBlitSourceCellForCell) {
  for (const std::int16_t pattern : {std::int16_t{0}, std::int16_t{1}}) {
    SCOPED_TRACE(pattern);
    std::uint32_t draws = 0;
    auto source = FrameSource::Start(pattern, [&] { return (++draws % 97) / 97.0f; });
    ASSERT_NE(source, nullptr);
    const auto blit = varominea::FrameBlitFor(256, 256);
    for (int steps = 0; steps < 3; ++steps) {
      if (steps > 0) source->Step();
      const std::uint32_t* picture = source->picture();
      int wrong = 0;
      for (int j = 0; j < 256; ++j) {
        for (int i = 0; i < 256; ++i) {
          const std::uint32_t rgba = picture[j * 256 + i];
          const auto x = varominea::FieldColumnAt(blit, i);
          const auto y = varominea::FieldRowAt(blit, j);
          const std::uint32_t expected =
              x && y ? test::PaletteRgb(source->field().at(*x, *y)) : 0x000000;
          if (Rgb(rgba) != expected || rgba >> 24 != 0xFF) ++wrong;
        }
      }
      EXPECT_EQ(wrong, 0) << "after " << steps << " steps";
    }
  }
}

TEST(WebFrameTest, StepsLowerTheFieldByOneEachFrame) {
  auto source = FrameSource::Start(0, [] { return 0.0f; });
  ASSERT_NE(source, nullptr);
  for (int n = 0; n < 300; ++n) {
    EXPECT_EQ(source->field().at(128, 128),
              static_cast<std::uint8_t>(test::SquareStart(128, 128) - n));
    source->Step();
  }
}

TEST(WebFrameTest, AreaIsCentredAsTheSaverPlacesItsDisplay) {
  const struct {
    int width, height;
    std::int16_t size;
    int left, top, w, h;
  } cases[] = {
      {1000, 700, 0, 0, 0, 1000, 700},
      {1000, 700, 1, 100, 50, 800, 600},
      {1000, 700, 2, 180, 110, 640, 480},
      // Smaller than the area: centred and cut off; an odd difference's
      // half pixel rounds to even.
      {640, 480, 1, -80, -60, 800, 600},
      {801, 603, 1, 0, 2, 800, 600},
      {803, 605, 1, 2, 2, 800, 600},
      // Canvases wider than 16 bits are placed as a 32,767-pixel screen.
      {40000, 600, 0, 0, 0, 32767, 600},
      // Unknown sizes give no area.
      {1000, 700, 3, 0, 0, 0, 0},
      {1000, 700, -1, 0, 0, 0, 0},
  };
  for (const auto& c : cases) {
    const auto a = varominea::web::LayoutCanvas(c.width, c.height, c.size).area;
    EXPECT_EQ((std::array{a.left, a.top, a.width, a.height}), (std::array{c.left, c.top, c.w, c.h}))
        << c.width << " x " << c.height << " size " << c.size;
  }
}

}  // namespace
