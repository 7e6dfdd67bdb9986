#include "core/placement.h"

#include "core/numbers.h"

namespace varominea {

long OuterExtentTwips(long requested_twips, long screen_twips, int twips_per_pixel) {
  constexpr long kMaxWindowExtentPx = 32767;
  if (twips_per_pixel <= 0) return screen_twips;
  return requested_twips / twips_per_pixel <= kMaxWindowExtentPx ? requested_twips : screen_twips;
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

std::optional<double> CentredOffset(std::int16_t screen_px, std::int16_t extent_px) {
  const std::optional<std::int16_t> difference = Sub16(screen_px, extent_px);
  if (!difference) return std::nullopt;
  return *difference / 2.0;
}

FrameBlit FrameBlitFor(std::int16_t width_px, std::int16_t height_px) {
  return FrameBlit{0, 0, width_px, height_px, -1, -2, 256, 256};
}

}  // namespace varominea
