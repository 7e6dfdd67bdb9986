// Windows of the test process itself: another copy's window for the
// single-instance guard, or a host standing for the control panel with its
// preview area.
#pragma once

#include <windows.h>

#include <string>

#include "tests/support/wait.h"

namespace test {

// A plain grey window, shown without taking the focus; destroyed with the
// object.
class HelperWindow {
 public:
  explicit HelperWindow(const std::wstring& caption, DWORD style = WS_OVERLAPPEDWINDOW,
                        HWND parent = nullptr, RECT bounds = {100, 100, 400, 300});
  HelperWindow(const HelperWindow&) = delete;
  HelperWindow& operator=(const HelperWindow&) = delete;
  ~HelperWindow() { Destroy(); }
  HWND hwnd() const { return hwnd_; }
  void Destroy();

 private:
  HWND hwnd_ = nullptr;
};

// A host window standing for the control panel, with a child "preview area"
// of the given size at (24, 16) of its client area.
struct PreviewArea {
  PreviewArea(int width, int height);
  std::wstring Arguments() const;  // "/p <the area's handle>"
  HelperWindow host;
  HelperWindow area;
};

}  // namespace test
