// A window tied to the object that handles its messages: one window
// procedure for every kind of window in the toolkit, flicker-free painting
// through PaintContent, and the window destroyed with its object.
#pragma once

#include <windows.h>

namespace platform {

class Window {
 public:
  Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  // Destroys the window, if there still is one, without calling back into
  // the object that is going.
  virtual ~Window();

  HWND hwnd() const { return hwnd_; }

 protected:
  // Creates a window of the class `class_name` (registered on first use)
  // tied to this object; hwnd() is set before the first message arrives.
  void CreateBound(const wchar_t* class_name, DWORD ex_style, DWORD style, const wchar_t* caption,
                   const RECT& bounds, HWND parent);

  // Every message but painting and the window's final one; the default is
  // the system's handling.
  virtual LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);
  // Draws `area` of the client area into dc (a back buffer while painting,
  // or any other surface); the default draws nothing.
  virtual void PaintContent(HDC dc, const RECT& area);
  // The window is gone (hwnd() is already null).
  virtual void WindowDestroyed() {}

  LRESULT DefaultHandling(UINT message, WPARAM wparam, LPARAM lparam) {
    return DefWindowProcW(hwnd_, message, wparam, lparam);
  }

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT Dispatch(UINT message, WPARAM wparam, LPARAM lparam);
  void Paint();

  HWND hwnd_ = nullptr;
};

}  // namespace platform
