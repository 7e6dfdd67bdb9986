// The screen's pixels read back: one still copy of a part of the screen, or
// one pixel.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace test {

// A still copy of a part of the screen (all of it by default); pixel() takes
// screen coordinates and answers CLR_INVALID outside the part.
class ScreenShot {
 public:
  explicit ScreenShot(std::optional<RECT> part = std::nullopt);
  COLORREF pixel(int x, int y) const;

 private:
  RECT part_{};
  std::string bgra_;
};

// The colour on the screen at (x, y), as RGB.
COLORREF ScreenPixel(int x, int y);

}  // namespace test
