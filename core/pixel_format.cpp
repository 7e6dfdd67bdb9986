#include "core/pixel_format.h"

#include <bit>

namespace varominea {
namespace {

std::uint32_t Channel(std::uint8_t value, std::uint32_t mask) {
  if (mask == 0) return 0;
  const int shift = std::countr_zero(mask);
  const std::uint64_t levels = (std::uint64_t{mask} >> shift);  // 2^width - 1
  // Bits of the mask above a gap are ignored: masks of real visuals are
  // contiguous, and a gap must not push bits outside the mask.
  const std::uint64_t scaled = (value * levels + 127) / 255;
  return static_cast<std::uint32_t>(scaled << shift) & mask;
}

}  // namespace

std::uint32_t PixelFor(std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                       const ChannelMasks& masks) {
  return Channel(red, masks.red) | Channel(green, masks.green) | Channel(blue, masks.blue);
}

std::uint32_t UnusedBits(unsigned depth, const ChannelMasks& masks) {
  const std::uint32_t all = depth >= 32 ? 0xFFFFFFFFu : (std::uint32_t{1} << depth) - 1;
  return all & ~(masks.red | masks.green | masks.blue);
}

PixelTable PixelTableFor(const DibHeaderRecord& dib, const ChannelMasks& masks) {
  PixelTable table{};
  for (std::size_t i = 0; i < table.size(); ++i) {
    const RgbQuad& c = dib.bmiColors[i];
    table[i] = PixelFor(c.rgbRed, c.rgbGreen, c.rgbBlue, masks);
  }
  return table;
}

}  // namespace varominea
