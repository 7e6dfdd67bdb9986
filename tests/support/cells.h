// Where each cell of the pixel field lands on the screen under the saver's
// frame blit, in exact terms, and a whole pixel safely inside it: what the
// tests that read the saver's pixels back sample.
#pragma once

#include <bitset>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

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

// A pixel that shows only the cell of `span`: one wholly inside it, or,
// where cells are narrower than a pixel, the one whose centre it holds.
std::optional<int> PixelOfCell(Span span);

// A pixel of the surface read back that shows only one cell, and the cell's
// value before the first step.
struct CellSample {
  int x;
  int y;
  std::uint8_t start;
};

// Samples of the cells (x, y), 1 <= x <= 255 and 2 <= y <= 255, for which
// `include` holds, in a drawing area of width x height whose top-left pixel
// is at (left, top) on the surface; only pixels that `on_surface` accepts.
std::vector<CellSample> SampleCells(int left, int top, int width, int height,
                                    const std::function<bool(int, int)>& include,
                                    std::uint8_t (*start)(int, int),
                                    const std::function<bool(int, int)>& on_surface);

// The saver's colour of a palette index, as 0xRRGGBB.
std::uint32_t PaletteRgb(std::uint8_t index);

// The frame numbers n (mod 256) at which every sample shows the palette
// colour of (start - n) mod 256; `rgb_at` reads a surface pixel as 0xRRGGBB.
std::bitset<256> ConsistentFrames(const std::vector<CellSample>& samples,
                                  const std::function<std::uint32_t(int, int)>& rgb_at);

// A surface's pixels as 0xRRGGBB, read back by whatever means the platform has.
using RgbAt = std::function<std::uint32_t(int, int)>;

// A drawing area on a surface: its top-left pixel and its size.
struct Area {
  int left, top, width, height;
};

// Pixels of a width x height surface that are not black: those wholly inside
// the area's `columns` x `rows` (area coordinates), or with `inside` false,
// those wholly outside the area (its margin).
int NonBlackPixels(int width, int height, const RgbAt& rgb_at, Area area, Span columns, Span rows,
                   bool inside = true);

// What is wrong with a picture of the whole frame on a width x height surface
// with the drawing area `area`: a non-black left strip, bottom strip or
// margin, or no single frame number explaining every sample. Empty when the
// picture is right.
std::vector<std::string> FrameFaults(int width, int height, const RgbAt& rgb_at, Area area,
                                     const std::vector<CellSample>& samples);

// The sampled cells of the ring pattern that its smoothing with noise leaves
// as RingStart gives them: smoothing never reaches columns 1, 2, 255 and 256
// or rows 1, 2, 257 and 258, and samples lie in columns 1..255, rows 2..255.
bool RingUnsmoothed(int x, int y);

// A picture read back whole, as 0xRRGGBB per pixel.
struct Picture {
  int width;
  int height;
  std::function<std::uint32_t(int, int)> rgb_at;
};

// What one picture of the saver's drawing area (left, top, width x height on
// the picture) shows that should be black and is not, by place.
struct StrayPixels {
  int left_strip = 0;
  int bottom_strip = 0;
  int margin = 0;  // outside the drawing area
};
StrayPixels NonBlackOutsideTheField(const Picture& picture, int left, int top, int width,
                                    int height);

}  // namespace test
