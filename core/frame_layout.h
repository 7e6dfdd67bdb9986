// Where the 256 x 256 field goes in a window of a given size, and the frame
// drawn from it: the drawing area centred in the window as the Windows saver
// centres its Display, and inside it the field stretched exactly as that
// saver's blit stretches it (one column of black along the left edge, two
// rows of black along the bottom edge, no smoothing).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/pixel_field.h"

namespace varominea {

// Marks a visible row that lies in the bottom strip (black).
inline constexpr std::uint32_t kBlackRow = 0xFFFFFFFF;

struct FrameLayout {
  int window_width = 0;
  int window_height = 0;
  // The drawing area in window coordinates; it may reach past the window.
  int area_left = 0;
  int area_top = 0;
  int area_width = 0;
  int area_height = 0;
  // The part of the drawing area inside the window, in window coordinates.
  int visible_left = 0;
  int visible_top = 0;
  int visible_width = 0;
  int visible_height = 0;
  // Visible columns at the left that lie in the left strip (black).
  int black_columns = 0;
  // For each visible column after those: the byte offset of its field
  // column within a field row (x - 1).
  std::vector<std::uint16_t> column_offsets;
  // For each visible row: the byte offset of its field row from the start of
  // the field, or kBlackRow.
  std::vector<std::uint32_t> row_offsets;
};

// The layout for a window of the given size and an ImageSize choice
// (0 = the whole window, 1 = 800 x 600, 2 = 640 x 480; other values give an
// empty drawing area, all black, as on Windows).
FrameLayout LayoutFrame(int window_width, int window_height, std::int16_t image_size);

// A pixel value for each palette index, as the target surface stores it
// (any 32-bit pixel layout).
using PixelTable = std::array<std::uint32_t, 256>;

// Draws the visible part of the drawing area from `field` into `out`
// (visible_width x visible_height pixels, `stride` pixels from one row to the
// next). Rows that show the same field row are copied, not drawn again.
void RenderFrame(const ByteField& field, const FrameLayout& layout, const PixelTable& colours,
                 std::uint32_t black, std::uint32_t* out, std::size_t stride);

}  // namespace varominea
