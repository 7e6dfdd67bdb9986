#include "windows/platform/picture_win.h"

#include <objbase.h>
#include <wincodec.h>

#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "windows/platform/app_win.h"

namespace platform {
namespace {

// The bytes of a resource of the given type; empty when there is none.
std::pair<const void*, std::size_t> ResourceBytes(int resource_id, const wchar_t* type) {
  HRSRC found = FindResourceW(Instance(), MAKEINTRESOURCEW(resource_id), type);
  if (!found) return {nullptr, 0};
  HGLOBAL loaded = LoadResource(Instance(), found);  // not to be freed
  const DWORD size = SizeofResource(Instance(), found);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data || size == 0) return {nullptr, 0};
  return {data, size};
}

void Put16(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
  out[at] = static_cast<std::uint8_t>(value & 0xFF);
  out[at + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}
void Put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
  Put16(out, at, value & 0xFFFF);
  Put16(out, at + 2, value >> 16);
}

// A BITMAP resource is a .bmp file without its 14-byte file header; the
// header is put back so that the imaging component's BMP decoder reads it.
std::vector<std::uint8_t> BmpFileFromResource(const void* data, std::size_t size) {
  BITMAPINFOHEADER info{};
  if (size < sizeof info) return {};
  std::memcpy(&info, data, sizeof info);
  if (info.biSize < sizeof(BITMAPCOREHEADER) || info.biSize > size) return {};
  std::size_t colours = 0;
  if (info.biSize >= sizeof(BITMAPINFOHEADER)) {
    colours = info.biClrUsed != 0    ? info.biClrUsed
              : info.biBitCount <= 8 ? (std::size_t{1} << info.biBitCount)
                                     : 0;
    if (info.biSize == sizeof(BITMAPINFOHEADER) && info.biCompression == BI_BITFIELDS) {
      colours += 3;  // the three masks follow the header
    }
  }
  const std::size_t entry = info.biSize == sizeof(BITMAPCOREHEADER) ? 3 : 4;
  const std::size_t bits_offset = 14 + info.biSize + colours * entry;
  if (bits_offset > 14 + size) return {};
  std::vector<std::uint8_t> file(14 + size);
  file[0] = 'B';
  file[1] = 'M';
  Put32(file, 2, static_cast<std::uint32_t>(file.size()));
  Put32(file, 10, static_cast<std::uint32_t>(bits_offset));
  std::memcpy(file.data() + 14, data, size);
  return file;
}

}  // namespace

Picture::Picture(OwnedBitmap bitmap, const void* bits, int width, int height)
    : bitmap_(std::move(bitmap)), bits_(bits), width_(width), height_(height) {}

std::shared_ptr<const Picture> Picture::FromResource(int resource_id) {
  const auto [data, size] = ResourceBytes(resource_id, MAKEINTRESOURCEW(10));  // RT_RCDATA
  if (!data) return nullptr;
  return Decode(data, size);
}

std::shared_ptr<const Picture> Picture::FromBitmapResource(int resource_id) {
  const auto [data, size] = ResourceBytes(resource_id, MAKEINTRESOURCEW(2));  // RT_BITMAP
  if (!data) return nullptr;
  const std::vector<std::uint8_t> file = BmpFileFromResource(data, size);
  if (file.empty()) return nullptr;
  return Decode(file.data(), file.size());
}

std::shared_ptr<const Picture> Picture::Decode(const void* data, std::size_t size) {
  if (!EnsureComOnThisThread() || size > 0x7FFFFFFF) return nullptr;
  // The stream reads from a private copy: resource memory is read-only and
  // the interface takes a writable pointer.
  std::vector<BYTE> bytes(static_cast<const BYTE*>(data), static_cast<const BYTE*>(data) + size);

  Com<IWICImagingFactory> factory;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IWICImagingFactory, factory.out_void()))) {
    return nullptr;
  }
  Com<IWICStream> stream;
  if (FAILED(factory->CreateStream(stream.out())) ||
      FAILED(stream->InitializeFromMemory(bytes.data(), static_cast<DWORD>(bytes.size())))) {
    return nullptr;
  }
  Com<IWICBitmapDecoder> decoder;
  if (FAILED(factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnLoad,
                                              decoder.out()))) {
    return nullptr;
  }
  Com<IWICBitmapFrameDecode> frame;
  if (FAILED(decoder->GetFrame(0, frame.out()))) return nullptr;
  Com<IWICFormatConverter> converter;
  if (FAILED(factory->CreateFormatConverter(converter.out())) ||
      FAILED(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppBGR,
                                   WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom))) {
    return nullptr;
  }
  UINT width = 0;
  UINT height = 0;
  if (FAILED(converter->GetSize(&width, &height)) || width == 0 || height == 0 || width > 0x4000 ||
      height > 0x4000) {
    return nullptr;
  }

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = static_cast<LONG>(width);
  info.bmiHeader.biHeight = -static_cast<LONG>(height);  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  OwnedBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || !bits) return nullptr;
  const UINT stride = width * 4;
  if (FAILED(converter->CopyPixels(nullptr, stride, stride * height, static_cast<BYTE*>(bits)))) {
    return nullptr;
  }
  GdiFlush();
  return std::shared_ptr<const Picture>(
      new Picture(std::move(bitmap), bits, static_cast<int>(width), static_cast<int>(height)));
}

void Picture::StretchTo(HDC dc, const RECT& dest) const {
  const int w = dest.right - dest.left;
  const int h = dest.bottom - dest.top;
  if (!dc || w <= 0 || h <= 0) return;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width_;
  info.bmiHeader.biHeight = -height_;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  // At its own size the picture is copied as it is; scaled (a preview area,
  // a display denser than 96 dpi) it is smoothed, so that thin lines neither
  // vanish nor double. HALFTONE wants the brush origin set after it.
  const bool scaled = w != width_ || h != height_;
  const int old_mode = SetStretchBltMode(dc, scaled ? HALFTONE : COLORONCOLOR);
  POINT old_origin{};
  const bool origin_set = scaled && SetBrushOrgEx(dc, 0, 0, &old_origin);
  StretchDIBits(dc, dest.left, dest.top, w, h, 0, 0, width_, height_, bits_, &info, DIB_RGB_COLORS,
                SRCCOPY);
  if (origin_set) SetBrushOrgEx(dc, old_origin.x, old_origin.y, nullptr);
  if (old_mode != 0) SetStretchBltMode(dc, old_mode);
}

HCURSOR LoadCursorResource(int resource_id) {
  return static_cast<HCURSOR>(
      LoadImageW(Instance(), MAKEINTRESOURCEW(resource_id), IMAGE_CURSOR, 0, 0, LR_SHARED));
}

OwnedCursor LoadCursorResourceAt(int resource_id, int dpi) {
  // The stored cursors are drawn for 96 dpi at 32 x 32; the system scales
  // the hot spot with the picture.
  constexpr int kCursorSizeAt96Dpi = 32;
  const int size = MulDiv(kCursorSizeAt96Dpi, dpi > 0 ? dpi : 96, 96);
  return OwnedCursor(static_cast<HCURSOR>(
      LoadImageW(Instance(), MAKEINTRESOURCEW(resource_id), IMAGE_CURSOR, size, size, 0)));
}

}  // namespace platform
