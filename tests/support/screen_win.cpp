#include "tests/support/screen_win.h"

#include <cstddef>

#include "windows/platform/handles_win.h"

namespace test {

ScreenShot::ScreenShot(std::optional<RECT> part)
    : part_(
          part.value_or(RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)})) {
  const int width = part_.right - part_.left;
  const int height = part_.bottom - part_.top;
  if (width <= 0 || height <= 0) return;
  const platform::WindowDc screen(nullptr);
  const platform::OwnedMemoryDc memory(CreateCompatibleDC(screen.get()));
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;  // top-down
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  const platform::OwnedBitmap dib(
      CreateDIBSection(screen.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!memory || !dib || !bits) return;
  const platform::Selected select(memory.get(), dib.get());
  BitBlt(memory.get(), 0, 0, width, height, screen.get(), part_.left, part_.top, SRCCOPY);
  GdiFlush();
  bgra_.assign(static_cast<const char*>(bits),
               static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
}

COLORREF ScreenShot::pixel(int x, int y) const {
  if (x < part_.left || y < part_.top || x >= part_.right || y >= part_.bottom || bgra_.empty()) {
    return CLR_INVALID;
  }
  const auto* p = reinterpret_cast<const unsigned char*>(bgra_.data()) +
                  (static_cast<std::size_t>(y - part_.top) *
                       static_cast<std::size_t>(part_.right - part_.left) +
                   static_cast<std::size_t>(x - part_.left)) *
                      4;
  return RGB(p[2], p[1], p[0]);
}

COLORREF ScreenPixel(int x, int y) {
  return ScreenShot(RECT{x, y, x + 1, y + 1}).pixel(x, y);
}

}  // namespace test
