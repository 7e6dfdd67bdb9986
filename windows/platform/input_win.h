// Mouse and keyboard state as the toolkit's events report it.
#pragma once

#include <windows.h>

#include <cstdint>

namespace platform {

enum class MouseButton : std::int16_t { Left = 1, Right = 2, Middle = 4, X1 = 8, X2 = 16 };

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

// Whether a mouse message says that no button is held any more, the side
// buttons included.
inline bool NoButtonHeld(WPARAM wparam) {
  return (wparam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON | MK_XBUTTON1 | MK_XBUTTON2)) == 0;
}

// What a handled button message answers: the side-button messages want TRUE.
inline LRESULT ButtonHandled(UINT message) {
  return message == WM_XBUTTONDOWN || message == WM_XBUTTONUP ? TRUE : 0;
}

}  // namespace platform
