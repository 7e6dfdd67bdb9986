// The keyboard focus cue of windowless controls: a dotted rectangle that
// its container draws above the controls added before it.
#pragma once

#include <windows.h>

#include "windows/platform/windowless_win.h"

namespace platform {

// Hidden until shown; it never takes the mouse.
class FocusRect : public WindowlessControl {
 public:
  explicit FocusRect(Container& container) : WindowlessControl(container, RECT{}) {}

  bool shown() const { return shown_; }
  void SetShown(bool shown);
  void Paint(HDC dc) override;

 private:
  bool shown_ = false;
};

}  // namespace platform
