// Palette colours as pixel values of a true-colour X visual, from the
// visual's channel masks (any depth, any channel order).
#pragma once

#include <cstdint>

#include "core/dib_header.h"
#include "linux/frame_layout.h"

namespace varominea::x11 {

struct ChannelMasks {
  std::uint32_t red;
  std::uint32_t green;
  std::uint32_t blue;
};

// One 8-bit colour as a pixel: each channel scaled to its mask's width
// (rounded to nearest) and shifted into place.
std::uint32_t PixelFor(std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                       const ChannelMasks& masks);

// The bits of a `depth`-bit pixel that no colour channel uses: the alpha
// channel of a 32-bit visual with an alpha channel (ARGB), none on 24-bit
// ones. A pixel with them all set is opaque under a compositing manager.
std::uint32_t UnusedBits(unsigned depth, const ChannelMasks& masks);

// Every entry of the colour table as a pixel.
PixelTable PixelTableFor(const DibHeaderRecord& dib, const ChannelMasks& masks);

}  // namespace varominea::x11
