// The monitors of the desktop, and plain black windows that cover a part of
// it and hand their input to whoever owns them.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "windows/platform/window_win.h"

namespace platform {

// Each monitor's rectangle on the virtual screen, in pixels; the primary
// monitor's top-left corner is (0, 0), others may lie at negative
// coordinates.
std::vector<RECT> MonitorRects();
// The primary monitor's rectangle: its top-left corner is (0, 0).
RECT PrimaryMonitorRect();

// A borderless, topmost black window over `area` (screen pixels) that never
// becomes active and so never takes the focus from its owner. It shows the
// arrow cursor, which the program's hidden cursor count hides as it does
// everywhere else.
class CoverWindow : public Window {
 public:
  CoverWindow(const RECT& area, HWND owner);

  // A mouse button pressed over the cover, or a key while it has the focus.
  std::function<void()> OnButtonDown;
  std::function<void()> OnKeyDown;
  // The pointer moved over the cover; the position in screen pixels.
  std::function<void(POINT)> OnMouseMove;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  void PaintContent(HDC dc, const RECT& area) override;
};

}  // namespace platform
