// A drawing surface for the Windows-side tests whose pixels can be read
// back.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>

#include "windows/platform/handles_win.h"

namespace test {

// A 32-bit top-down surface filled with one colour.
class Canvas {
 public:
  Canvas(int width, int height, COLORREF fill) : width_(width) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    bitmap_.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits_, nullptr, 0));
    select_.emplace(dc_.get(), bitmap_.get());
    platform::OwnedBrush brush(CreateSolidBrush(fill));
    RECT all{0, 0, width, height};
    FillRect(dc_.get(), &all, brush.get());
  }
  HDC dc() const { return dc_.get(); }
  COLORREF pixel(int x, int y) const {
    GdiFlush();
    const auto* p = static_cast<const BYTE*>(bits_) +
                    (static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                     static_cast<std::size_t>(x)) *
                        4;
    return RGB(p[2], p[1], p[0]);
  }

 private:
  int width_;
  platform::OwnedMemoryDc dc_{CreateCompatibleDC(nullptr)};
  platform::OwnedBitmap bitmap_;
  void* bits_ = nullptr;
  std::optional<platform::Selected> select_;
};

}  // namespace test
