#include "tests/support/cells.h"

#include <cmath>
#include <memory>

#include "core/patterns.h"
#include "core/pixel_field.h"

namespace test {

std::uint8_t SquareStart(int x, int y) {
  static const std::unique_ptr<varominea::ByteField> field = [] {
    auto f = varominea::ByteField::Allocate();
    varominea::FillSquareField(*f);
    return f;
  }();
  return field->at(x, y);
}

std::uint8_t RingStart(int x, int y) {
  const int squared = (x - 128) * (x - 128) + (y - 128) * (y - 128);
  int d = 0;
  while ((d + 1) * (d + 1) <= squared) ++d;
  return static_cast<std::uint8_t>(d < 10 ? 0 : d);
}

using varominea::FrameBlit;

Span CellColumns(const FrameBlit& blit, int x) {
  // Field column x is bitmap column x - 1.
  const double scale = static_cast<double>(blit.dest_width) / blit.src_width;
  const double from_source_left = (x - 1) - blit.src_x;
  return Span{blit.dest_x + from_source_left * scale, blit.dest_x + (from_source_left + 1) * scale};
}

Span CellRows(const FrameBlit& blit, int y) {
  // Field row y is bitmap row y - 2, counted from the bitmap's bottom row;
  // the destination counts rows from the top.
  const double scale = static_cast<double>(blit.dest_height) / blit.src_height;
  const double from_source_bottom = (y - 2) - blit.src_y;
  const double bottom = blit.dest_y + blit.dest_height;
  return Span{bottom - (from_source_bottom + 1) * scale, bottom - from_source_bottom * scale};
}

Span LeftStripColumns(const FrameBlit& blit) {
  const double scale = static_cast<double>(blit.dest_width) / blit.src_width;
  return Span{static_cast<double>(blit.dest_x), blit.dest_x + -blit.src_x * scale};
}

Span BottomStripRows(const FrameBlit& blit) {
  const double scale = static_cast<double>(blit.dest_height) / blit.src_height;
  const double bottom = blit.dest_y + blit.dest_height;
  return Span{bottom - -blit.src_y * scale, bottom};
}

std::optional<int> InteriorPixel(Span span) {
  const double middle = (span.begin + span.end) / 2;
  const int nearest = static_cast<int>(std::floor(middle));
  for (int candidate : {nearest, nearest - 1, nearest + 1}) {
    if (candidate >= span.begin && candidate + 1 <= span.end) return candidate;
  }
  return std::nullopt;
}

}  // namespace test
