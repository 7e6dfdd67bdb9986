#include "linux/x11/server_stretch.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "core/placement.h"

namespace varominea::x11 {
namespace {

constexpr std::int64_t kOne = 65536;  // 1.0 in 16.16 fixed point

// The run fit with the step just below and just above the exact scale: the
// one with fewer runs (usually a single one).
AxisStretch FitEitherStep(std::span<const SourcePixels> wanted, int area_extent) {
  const std::int64_t exact = std::int64_t{kPictureSide} * kOne;
  const auto below = static_cast<std::int32_t>(exact / area_extent);
  AxisStretch best = FitAxis(wanted, below);
  if (exact % area_extent != 0) {
    AxisStretch above = FitAxis(wanted, below + 1);
    if (above.runs.size() < best.runs.size()) best = std::move(above);
  }
  return best;
}

}  // namespace

AxisStretch FitAxis(std::span<const SourcePixels> wanted, std::int32_t step) {
  AxisStretch axis;
  axis.step = step;
  const std::size_t n = wanted.size();
  std::size_t begin = 0;
  while (begin < n) {
    // The origins that put every pixel of the run so far on its source
    // pixel: origin + i * step in [first * 1.0, (last + 1) * 1.0).
    std::int64_t low = std::numeric_limits<std::int64_t>::min();
    std::int64_t high = std::numeric_limits<std::int64_t>::max();
    std::size_t end = begin;
    for (; end < n; ++end) {
      const std::int64_t offset = static_cast<std::int64_t>(end - begin) * step;
      const std::int64_t l = std::max(low, wanted[end].first * kOne - offset);
      const std::int64_t h = std::min(high, (wanted[end].last + 1) * kOne - 1 - offset);
      if (l > h) break;
      low = l;
      high = h;
    }
    // One pixel alone always fits: its range is at least one whole pixel.
    axis.runs.push_back(
        {static_cast<int>(begin), static_cast<int>(end - begin), low + (high - low) / 2});
    begin = end;
  }
  return axis;
}

ServerStretch FitServerStretch(const FrameLayout& layout) {
  ServerStretch stretch;
  if (layout.visible_width <= 0 || layout.visible_height <= 0) return stretch;
  const FrameBlit blit = FrameBlitFor(static_cast<std::int16_t>(layout.area_width),
                                      static_cast<std::int16_t>(layout.area_height));
  std::vector<SourcePixels> wanted;
  wanted.reserve(static_cast<std::size_t>(std::max(layout.visible_width, layout.visible_height)));
  for (int x = 0; x < layout.visible_width; ++x) {
    const int column = PictureColumnAt(blit, layout.visible_left + x - layout.area_left);
    wanted.push_back({column, column});
  }
  stretch.columns = FitEitherStep(wanted, layout.area_width);
  wanted.clear();
  for (int y = 0; y < layout.visible_height; ++y) {
    if (const auto row = PictureRowAt(blit, layout.visible_top + y - layout.area_top)) {
      wanted.push_back({*row, *row});
    } else {
      wanted.push_back({kPictureSide - 2, kPictureSide - 1});  // the bottom strip
    }
  }
  stretch.rows = FitEitherStep(wanted, layout.area_height);
  return stretch;
}

std::int64_t TranslationFor(const ScaledRun& run, std::int32_t step) {
  return run.origin + 1 - (std::int64_t{step} + 1) / 2;
}

}  // namespace varominea::x11
