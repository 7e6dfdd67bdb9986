#include "core/placement.h"

#include <algorithm>

#include "core/numbers.h"

namespace varominea {
namespace {

// Surfaces (X windows, canvases, outputs) are at most 32,767 pixels wide in
// practice; a larger or negative extent is clamped into 16 bits.
std::int16_t Clamp16(int value) {
  return static_cast<std::int16_t>(std::clamp(value, 0, 32767));
}

}  // namespace

int TwipsPerPixel(int dpi) {
  constexpr int kTwipsPerInch = 1440;
  constexpr int kDefaultDpi = 96;
  if (dpi <= 0) dpi = kDefaultDpi;
  return std::max(1, (kTwipsPerInch + dpi / 2) / dpi);
}

int SaverWindowExtentPx(int screen_px, int dpi) {
  constexpr long long kMaxWindowExtentPx = 32767;
  const long long extent = static_cast<long long>(screen_px) * TwipsPerPixel(dpi);
  return extent <= kMaxWindowExtentPx ? static_cast<int>(extent) : screen_px;
}

std::optional<AreaSize> DrawingAreaFor(std::int16_t image_size, std::int16_t screen_width_px,
                                       std::int16_t screen_height_px) {
  switch (image_size) {
    case 0:
      return AreaSize{screen_width_px, screen_height_px};
    case 1:
      return AreaSize{800, 600};
    case 2:
      return AreaSize{640, 480};
    default:
      return std::nullopt;
  }
}

std::optional<PlacedArea> CentredAreaFor(int surface_width, int surface_height,
                                         std::int16_t image_size) {
  const std::int16_t width16 = Clamp16(surface_width), height16 = Clamp16(surface_height);
  const auto area = DrawingAreaFor(image_size, width16, height16);
  if (!area) return std::nullopt;
  return PlacedArea{CentredPixel(width16, area->width).value_or(0),
                    CentredPixel(height16, area->height).value_or(0), area->width, area->height};
}

std::optional<double> CentredOffset(std::int16_t screen_px, std::int16_t extent_px) {
  const std::optional<std::int16_t> difference = Sub16(screen_px, extent_px);
  if (!difference) return std::nullopt;
  return *difference / 2.0;
}

std::optional<std::int16_t> CentredPixel(std::int16_t screen_px, std::int16_t extent_px) {
  const std::optional<double> offset = CentredOffset(screen_px, extent_px);
  return offset ? ToInt16(*offset) : std::nullopt;
}

FrameBlit FrameBlitFor(std::int16_t width_px, std::int16_t height_px) {
  return FrameBlit{0, 0, width_px, height_px, -1, -2, 256, 256};
}

namespace {

// The source pixel under the centre of destination pixel `offset`, counted
// along one axis from the destination's start, in exact integer arithmetic:
// floor((offset + 1/2) * source / dest).
std::optional<long long> SourceUnderCentre(long long offset, int dest_extent, int src_extent) {
  if (dest_extent <= 0 || offset < 0 || offset >= dest_extent) return std::nullopt;
  return (2 * offset + 1) * src_extent / (2LL * dest_extent);
}

constexpr long long kBitmapExtent = 256;

}  // namespace

std::optional<int> FieldColumnAt(const FrameBlit& blit, int px) {
  const auto source =
      SourceUnderCentre(px - static_cast<long long>(blit.dest_x), blit.dest_width, blit.src_width);
  if (!source) return std::nullopt;
  const long long bitmap_column = *source + blit.src_x;
  if (bitmap_column < 0 || bitmap_column >= kBitmapExtent) return std::nullopt;
  return static_cast<int>(bitmap_column + 1);  // field column x is bitmap column x - 1
}

std::optional<int> FieldRowAt(const FrameBlit& blit, int py) {
  // Counted upwards from the destination's bottom row, as the source rows are.
  const long long from_bottom =
      static_cast<long long>(blit.dest_y) + blit.dest_height - 1 - static_cast<long long>(py);
  const auto source = SourceUnderCentre(from_bottom, blit.dest_height, blit.src_height);
  if (!source) return std::nullopt;
  const long long bitmap_row = *source + blit.src_y;
  if (bitmap_row < 0 || bitmap_row >= kBitmapExtent) return std::nullopt;
  return static_cast<int>(bitmap_row + 2);  // field row y is bitmap row y - 2
}

}  // namespace varominea
