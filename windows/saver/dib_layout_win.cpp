// Compile-time proof that DibHeaderRecord, which the pure code fills without
// <windows.h>, is byte for byte the BITMAPINFO that StretchDIBits reads.
#include <windows.h>

#include <cstddef>

#include "core/dib_header.h"

namespace varominea {
namespace {

#define VAROMINEA_SAME_FIELD(ours, theirs, field)                          \
  static_assert(offsetof(ours, field) == offsetof(theirs, field), #field); \
  static_assert(sizeof(ours::field) == sizeof(theirs::field), #field " size")

static_assert(sizeof(BitmapInfoHeader) == sizeof(BITMAPINFOHEADER));
VAROMINEA_SAME_FIELD(BitmapInfoHeader, BITMAPINFOHEADER, biSize);
VAROMINEA_SAME_FIELD(BitmapInfoHeader, BITMAPINFOHEADER, biWidth);
VAROMINEA_SAME_FIELD(BitmapInfoHeader, BITMAPINFOHEADER, biHeight);
VAROMINEA_SAME_FIELD(BitmapInfoHeader, BITMAPINFOHEADER, biPlanes);
VAROMINEA_SAME_FIELD(BitmapInfoHeader, BITMAPINFOHEADER, biBitCount);
VAROMINEA_SAME_FIELD(BitmapInfoHeader, BITMAPINFOHEADER, biCompression);
VAROMINEA_SAME_FIELD(BitmapInfoHeader, BITMAPINFOHEADER, biSizeImage);
VAROMINEA_SAME_FIELD(BitmapInfoHeader, BITMAPINFOHEADER, biXPelsPerMeter);
VAROMINEA_SAME_FIELD(BitmapInfoHeader, BITMAPINFOHEADER, biYPelsPerMeter);
VAROMINEA_SAME_FIELD(BitmapInfoHeader, BITMAPINFOHEADER, biClrUsed);
VAROMINEA_SAME_FIELD(BitmapInfoHeader, BITMAPINFOHEADER, biClrImportant);

static_assert(sizeof(RgbQuad) == sizeof(RGBQUAD));
VAROMINEA_SAME_FIELD(RgbQuad, RGBQUAD, rgbBlue);
VAROMINEA_SAME_FIELD(RgbQuad, RGBQUAD, rgbGreen);
VAROMINEA_SAME_FIELD(RgbQuad, RGBQUAD, rgbRed);
VAROMINEA_SAME_FIELD(RgbQuad, RGBQUAD, rgbReserved);

// BITMAPINFO declares one colour entry; the record carries all 256 of an
// 8-bit bitmap directly behind the header.
static_assert(offsetof(DibHeaderRecord, bmiHeader) == offsetof(BITMAPINFO, bmiHeader));
static_assert(offsetof(DibHeaderRecord, bmiColors) == offsetof(BITMAPINFO, bmiColors));
static_assert(sizeof(DibHeaderRecord) == sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
static_assert(sizeof(DibHeaderRecord) == sizeof(BITMAPINFO) + 255 * sizeof(RGBQUAD));
static_assert(alignof(DibHeaderRecord) >= alignof(BITMAPINFO));

#undef VAROMINEA_SAME_FIELD

}  // namespace
}  // namespace varominea
