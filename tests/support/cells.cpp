#include "tests/support/cells.h"

#include <array>
#include <cmath>
#include <memory>

#include "core/dib_header.h"
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

std::optional<int> PixelOfCell(Span span) {
  if (const auto inside = InteriorPixel(span)) return inside;
  const double middle = (span.begin + span.end) / 2;
  const int pixel = static_cast<int>(std::floor(middle));
  if (pixel + 0.5 > span.begin && pixel + 0.5 < span.end) return pixel;
  return std::nullopt;
}

std::vector<CellSample> SampleCells(int left, int top, int width, int height,
                                    const std::function<bool(int, int)>& include,
                                    std::uint8_t (*start)(int, int),
                                    const std::function<bool(int, int)>& on_surface) {
  const FrameBlit blit =
      varominea::FrameBlitFor(static_cast<std::int16_t>(width), static_cast<std::int16_t>(height));
  std::vector<CellSample> samples;
  for (int y = 2; y <= 255; ++y) {
    const auto row = PixelOfCell(CellRows(blit, y));
    for (int x = 1; row && x <= 255; ++x) {
      const auto column = PixelOfCell(CellColumns(blit, x));
      if (!include(x, y) || !column) continue;
      const int sx = left + *column;
      const int sy = top + *row;
      if (on_surface(sx, sy)) samples.push_back({sx, sy, start(x, y)});
    }
  }
  return samples;
}

std::uint32_t PaletteRgb(std::uint8_t index) {
  static const std::array<std::uint32_t, 256> colours = [] {
    varominea::DibHeaderRecord dib{};
    varominea::ReadPAL_Newton(dib);
    std::array<std::uint32_t, 256> c{};
    for (std::size_t i = 0; i < c.size(); ++i) {
      c[i] = (std::uint32_t{dib.bmiColors[i].rgbRed} << 16) |
             (std::uint32_t{dib.bmiColors[i].rgbGreen} << 8) | dib.bmiColors[i].rgbBlue;
    }
    return c;
  }();
  return colours[index];
}

std::bitset<256> ConsistentFrames(const std::vector<CellSample>& samples,
                                  const std::function<std::uint32_t(int, int)>& rgb_at) {
  std::bitset<256> frames;
  frames.set();
  for (const CellSample& s : samples) {
    const std::uint32_t shown = rgb_at(s.x, s.y);
    std::bitset<256> fits;
    for (std::size_t n = 0; n < 256; ++n) {
      fits[n] = PaletteRgb(static_cast<std::uint8_t>(s.start - n)) == shown;
    }
    frames &= fits;
  }
  return frames;
}

int NonBlackPixels(int width, int height, const RgbAt& rgb_at, Area area, Span columns, Span rows,
                   bool inside) {
  int wrong = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const double dx = x - area.left, dy = y - area.top;
      const bool in = dx >= std::ceil(columns.begin) && dx + 1 <= columns.end &&
                      dy >= std::ceil(rows.begin) && dy + 1 <= rows.end;
      const bool outside = dx + 1 <= 0 || dy + 1 <= 0 || dx >= area.width || dy >= area.height;
      if ((inside ? in : outside) && rgb_at(x, y) != 0) ++wrong;
    }
  }
  return wrong;
}

std::vector<std::string> FrameFaults(int width, int height, const RgbAt& rgb_at, Area area,
                                     const std::vector<CellSample>& samples) {
  std::vector<std::string> faults;
  const StrayPixels stray = NonBlackOutsideTheField({width, height, rgb_at}, area.left, area.top,
                                                    area.width, area.height);
  const auto report = [&](const char* what, int n) {
    if (n != 0) faults.push_back(std::to_string(n) + " pixels not black in the " + what);
  };
  report("left strip", stray.left_strip);
  report("bottom strip", stray.bottom_strip);
  report("margin around the drawing area", stray.margin);
  if (samples.size() < 50) {
    faults.push_back("only " + std::to_string(samples.size()) + " cells sampled");
  } else if (ConsistentFrames(samples, rgb_at).none()) {
    faults.push_back("no single frame number explains the " + std::to_string(samples.size()) +
                     " sampled cells");
  }
  return faults;
}

bool RingUnsmoothed(int x, int y) {
  return x == 1 || x == 2 || x == 255 || y == 2;
}

StrayPixels NonBlackOutsideTheField(const Picture& picture, int left, int top, int width,
                                    int height) {
  const FrameBlit blit =
      varominea::FrameBlitFor(static_cast<std::int16_t>(width), static_cast<std::int16_t>(height));
  const Area area{left, top, width, height};
  const auto count = [&](Span columns, Span rows, bool inside) {
    return NonBlackPixels(picture.width, picture.height, picture.rgb_at, area, columns, rows,
                          inside);
  };
  return {count(LeftStripColumns(blit), {0, double(height)}, true),
          count({0, double(width)}, BottomStripRows(blit), true), count({}, {}, false)};
}

}  // namespace test
