#include "windows/platform/input_win.h"

#include <windowsx.h>

namespace platform {

std::int16_t ShiftState() {
  std::int16_t shift = 0;
  if (GetKeyState(VK_SHIFT) < 0) shift |= 1;
  if (GetKeyState(VK_CONTROL) < 0) shift |= 2;
  if (GetKeyState(VK_MENU) < 0) shift |= 4;
  return shift;
}

MouseEvent MouseEventFrom(UINT message, WPARAM wparam, LPARAM lparam) {
  std::int16_t button = 0;
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
      button = 1;
      break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
      button = 2;
      break;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
      button = 4;
      break;
    case WM_XBUTTONDOWN:
    case WM_XBUTTONUP:
      button = GET_XBUTTON_WPARAM(wparam) == XBUTTON2 ? 16 : 8;
      break;
    default:  // moves report the buttons held
      if (wparam & MK_LBUTTON) button |= 1;
      if (wparam & MK_RBUTTON) button |= 2;
      if (wparam & MK_MBUTTON) button |= 4;
      if (wparam & MK_XBUTTON1) button |= 8;
      if (wparam & MK_XBUTTON2) button |= 16;
  }
  std::int16_t shift = 0;
  if (wparam & MK_SHIFT) shift |= 1;
  if (wparam & MK_CONTROL) shift |= 2;
  if (GetKeyState(VK_MENU) < 0) shift |= 4;
  return MouseEvent{button, shift, static_cast<float>(GET_X_LPARAM(lparam)),
                    static_cast<float>(GET_Y_LPARAM(lparam))};
}

}  // namespace platform
