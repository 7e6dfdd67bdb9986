// The bitmap header and colour table through which each frame is blitted:
// exactly the layout of the platform's BITMAPINFO with 256 RGBQUAD entries.
#pragma once

#include <cstdint>

#include "core/kernel.h"

namespace varominea {

struct BitmapInfoHeader {
  std::uint32_t biSize;
  std::int32_t biWidth;
  std::int32_t biHeight;
  std::uint16_t biPlanes;
  std::uint16_t biBitCount;
  std::uint32_t biCompression;
  std::uint32_t biSizeImage;
  std::int32_t biXPelsPerMeter;
  std::int32_t biYPelsPerMeter;
  std::uint32_t biClrUsed;
  std::uint32_t biClrImportant;
};

struct RgbQuad {
  std::uint8_t rgbBlue;
  std::uint8_t rgbGreen;
  std::uint8_t rgbRed;
  std::uint8_t rgbReserved;
};

struct DibHeaderRecord {
  BitmapInfoHeader bmiHeader;
  RgbQuad bmiColors[256];
};

static_assert(sizeof(BitmapInfoHeader) == 40);
static_assert(sizeof(DibHeaderRecord) == 1064);

// Fills the colour table (not the header).
void ReadPAL_Newton(DibHeaderRecord& dib);

// Fills the header for the field that params describes (8 bits, bottom-up).
void FillDibHeader(DibHeaderRecord& dib, const KernelParamBlock& params);

}  // namespace varominea
