// Mouse and keyboard state as the toolkit's events report it.
#pragma once

#include <windows.h>

#include <cstdint>

namespace platform {

enum class MouseButton : std::int16_t { Left = 1, Right = 2, Middle = 4 };

struct MouseEvent {
  std::int16_t button;  // MouseButton bits
  std::int16_t shift;   // 1 = Shift, 2 = Ctrl, 4 = Alt
  float x;              // in the control's pixel coordinates
  float y;
};

// Mouse event arguments from a mouse message.
MouseEvent MouseEventFrom(UINT message, WPARAM wparam, LPARAM lparam);

// The Shift, Ctrl and Alt keys held now, as MouseEvent::shift counts them.
std::int16_t ShiftState();

// Whether a mouse message says that no button is held any more.
inline bool NoButtonHeld(WPARAM wparam) {
  return (wparam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) == 0;
}

}  // namespace platform
