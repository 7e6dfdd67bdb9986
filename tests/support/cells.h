// Where each cell of the pixel field lands on the screen under the saver's
// frame blit, in exact terms, and a whole pixel safely inside it: what the
// tests that read the saver's pixels back sample.
#pragma once

#include <cstdint>
#include <optional>

#include "core/placement.h"

namespace test {

// A half-open range [begin, end) of destination pixels.
struct Span {
  double begin;
  double end;
};

// The destination columns that field column x (1..256) covers, and the
// destination rows (counted from the top) that field row y (1..258) covers.
// Columns and rows outside the source rectangle give spans outside 0..W / 0..H.
Span CellColumns(const varominea::FrameBlit& blit, int x);
Span CellRows(const varominea::FrameBlit& blit, int y);

// The parts of the destination whose source lies outside the bitmap: a strip
// along the left edge and one along the bottom edge, which the blit leaves as
// they are.
Span LeftStripColumns(const varominea::FrameBlit& blit);
Span BottomStripRows(const varominea::FrameBlit& blit);

// The field's value at cell (x, y) before the first step: nested squares, or
// the ring fill before smoothing (the rounded-down distance from cell
// (128, 128), 0 closer than 10; worked out here rather than with the
// product's square root).
std::uint8_t SquareStart(int x, int y);
std::uint8_t RingStart(int x, int y);

// The whole pixel nearest the middle of a span that lies entirely inside it,
// whatever way the platform rounds the span's edges; std::nullopt when the
// span is too narrow to hold one.
std::optional<int> InteriorPixel(Span span);

}  // namespace test
