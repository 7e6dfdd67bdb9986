#include "core/frame_layout.h"

#include <algorithm>
#include <cstring>

#include "core/placement.h"

namespace varominea {

FrameLayout LayoutFrame(int window_width, int window_height, std::int16_t image_size) {
  FrameLayout layout;
  layout.window_width = std::max(window_width, 0);
  layout.window_height = std::max(window_height, 0);
  const auto area = CentredAreaFor(window_width, window_height, image_size);
  if (!area) return layout;
  layout.area_left = area->left;
  layout.area_top = area->top;
  layout.area_width = area->width;
  layout.area_height = area->height;

  const int left = std::max(layout.area_left, 0);
  const int top = std::max(layout.area_top, 0);
  const int right = std::min(layout.area_left + layout.area_width, layout.window_width);
  const int bottom = std::min(layout.area_top + layout.area_height, layout.window_height);
  if (right <= left || bottom <= top) return layout;
  layout.visible_left = left;
  layout.visible_top = top;
  layout.visible_width = right - left;
  layout.visible_height = bottom - top;

  const FrameBlit blit =
      FrameBlitFor(static_cast<std::int16_t>(area->width), static_cast<std::int16_t>(area->height));
  for (int x = left; x < right; ++x) {
    const auto column = FieldColumnAt(blit, x - layout.area_left);
    if (!column) {
      // The strip is the area's left edge: nothing of the field lies left of it.
      if (layout.column_offsets.empty()) ++layout.black_columns;
      continue;
    }
    layout.column_offsets.push_back(static_cast<std::uint16_t>(*column - 1));
  }
  for (int y = top; y < bottom; ++y) {
    const auto row = FieldRowAt(blit, y - layout.area_top);
    layout.row_offsets.push_back(row ? static_cast<std::uint32_t>(ByteField::Offset(1, *row))
                                     : kBlackRow);
  }
  return layout;
}

void RenderFrame(const ByteField& field, const FrameLayout& layout, const PixelTable& colours,
                 std::uint32_t black, std::uint32_t* out, std::size_t stride) {
  const std::size_t width = static_cast<std::size_t>(layout.visible_width);
  const std::size_t black_columns = static_cast<std::size_t>(layout.black_columns);
  const std::uint8_t* const cells = field.data();
  const std::uint16_t* const columns = layout.column_offsets.data();
  const std::size_t shown = layout.column_offsets.size();
  const std::uint32_t* previous = nullptr;
  std::uint32_t previous_offset = 0;
  for (const std::uint32_t offset : layout.row_offsets) {
    if (previous != nullptr && offset == previous_offset) {
      std::memcpy(out, previous, width * sizeof(std::uint32_t));
    } else if (offset == kBlackRow) {
      std::fill_n(out, width, black);
    } else {
      std::fill_n(out, black_columns, black);
      const std::uint8_t* const row = cells + offset;
      std::uint32_t* const drawn = out + black_columns;
      for (std::size_t i = 0; i < shown; ++i) drawn[i] = colours[row[columns[i]]];
    }
    previous = out;
    previous_offset = offset;
    out += stride;
  }
}

}  // namespace varominea
