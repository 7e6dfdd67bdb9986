// Palette colours as pixel values of any true-colour pixel layout, from its
// channel masks (any depth, any channel order): an X visual's, a Wayland
// buffer's, a canvas's.
#pragma once

#include <cstdint>

#include "core/dib_header.h"
#include "core/frame_layout.h"

namespace varominea {

struct ChannelMasks {
  std::uint32_t red;
  std::uint32_t green;
  std::uint32_t blue;
};

// A 32-bit word 0x00RRGGBB: X's 24-bit true colour, Wayland's XRGB8888.
inline constexpr ChannelMasks kXrgbMasks{0xFF0000, 0x00FF00, 0x0000FF};
// Red, green, blue (then alpha) in memory order on a little-endian host, as
// a canvas stores its pixels: the word 0xAABBGGRR.
inline constexpr ChannelMasks kRgbaMasks{0x0000FF, 0x00FF00, 0xFF0000};

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

}  // namespace varominea
