#include "windows/platform/windowless_win.h"

#include <windowsx.h>

#include <algorithm>

#include "windows/platform/app_win.h"

namespace platform {

WindowlessControl::WindowlessControl(Container& container, RECT bounds)
    : container_(container), bounds_(bounds) {
  container.Add(this);
}

WindowlessControl::~WindowlessControl() {
  container_.Remove(this);
}

void WindowlessControl::SetBounds(RECT bounds) {
  Invalidate();
  bounds_ = bounds;
  Invalidate();
}

void WindowlessControl::Invalidate() {
  container_.InvalidateRect(bounds_);
}

void Container::Remove(WindowlessControl* control) {
  controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
  if (captured_ == control) captured_ = nullptr;
}

void Container::InvalidateRect(const RECT& rect) {
  if (hwnd()) ::InvalidateRect(hwnd(), &rect, FALSE);
}

WindowlessControl* Container::HitTest(POINT pt) const {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    WindowlessControl* c = *it;
    if (c->WantsMouse() && PtInRect(&c->bounds(), pt)) return c;
  }
  return nullptr;
}

void Container::PaintControls(HDC dc) const {
  for (WindowlessControl* c : controls_) c->Paint(dc);
}

bool Container::RouteMouse(UINT message, WPARAM wparam, LPARAM lparam) {
  const POINT pt{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
  auto local = [&](WindowlessControl* c) {
    MouseEvent e = MouseEventFrom(message, wparam, lparam);
    e.x -= static_cast<float>(c->bounds().left);
    e.y -= static_cast<float>(c->bounds().top);
    return e;
  };
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN: {
      WindowlessControl* target = captured_ ? captured_ : HitTest(pt);
      if (!target) return false;
      // The control that took the press gets the release, wherever it is.
      captured_ = target;
      SetCapture(hwnd());
      target->MouseDown(local(target));
      return true;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_XBUTTONUP: {
      WindowlessControl* target = captured_;
      if (!target) return HitTest(pt) != nullptr;
      if (NoButtonHeld(wparam)) {
        captured_ = nullptr;
        ReleaseCapture();
      }
      target->MouseUp(local(target));
      return true;
    }
    case WM_MOUSEMOVE: {
      WindowlessControl* target = captured_ ? captured_ : HitTest(pt);
      if (!target) return false;
      target->MouseMove(local(target));
      return true;
    }
    case WM_CAPTURECHANGED:
      captured_ = nullptr;
      return false;
    default:
      return false;
  }
}

bool Container::SetCursorFromControls() {
  if (HCURSOR app = AppCursor()) {
    ::SetCursor(app);
    return true;
  }
  POINT pt;
  GetCursorPos(&pt);
  ScreenToClient(hwnd(), &pt);
  WindowlessControl* c = captured_ ? captured_ : HitTest(pt);
  ::SetCursor(c && c->cursor() ? c->cursor() : LoadCursorW(nullptr, IDC_ARROW));
  return true;
}

}  // namespace platform
