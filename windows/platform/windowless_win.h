// Controls without a window of their own and the windows that hold them:
// the container draws its controls in z-order and routes the mouse to them.
#pragma once

#include <windows.h>

#include <vector>

#include "windows/platform/input_win.h"
#include "windows/platform/window_win.h"

namespace platform {

class Container;

// A control without a window of its own: its container draws it, in the
// order the controls were added (later ones on top), and routes the mouse to
// the topmost one under the pointer that wants it. It leaves its container
// when it is destroyed.
class WindowlessControl {
 public:
  WindowlessControl(Container& container, RECT bounds);
  WindowlessControl(const WindowlessControl&) = delete;
  WindowlessControl& operator=(const WindowlessControl&) = delete;
  virtual ~WindowlessControl();

  const RECT& bounds() const { return bounds_; }
  void SetBounds(RECT bounds);
  HCURSOR cursor() const { return cursor_; }
  void SetCursor(HCURSOR cursor) { cursor_ = cursor; }  // nullptr: the arrow

  // Whether mouse events stop here (false lets them through to what is below).
  virtual bool WantsMouse() const { return false; }
  virtual void Paint(HDC dc) = 0;
  virtual void MouseDown(const MouseEvent&) {}
  virtual void MouseUp(const MouseEvent&) {}
  virtual void MouseMove(const MouseEvent&) {}

  void Invalidate();

 private:
  Container& container_;
  RECT bounds_;
  HCURSOR cursor_ = nullptr;
};

// A window that holds windowless controls (with no window yet, it only
// keeps them).
class Container : public Window {
 public:
  void Add(WindowlessControl* control) { controls_.push_back(control); }
  void Remove(WindowlessControl* control);
  WindowlessControl* HitTest(POINT client_point) const;
  void InvalidateRect(const RECT& rect);

 protected:
  // Paints the windowless controls over what dc already holds.
  void PaintControls(HDC dc) const;
  // Routes a mouse message to the windowless controls; true when one took it.
  bool RouteMouse(UINT message, WPARAM wparam, LPARAM lparam);
  bool SetCursorFromControls();

 private:
  std::vector<WindowlessControl*> controls_;
  WindowlessControl* captured_ = nullptr;
};

}  // namespace platform
