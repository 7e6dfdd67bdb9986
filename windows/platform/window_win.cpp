#include "windows/platform/window_win.h"

#include "windows/platform/app_win.h"
#include "windows/platform/handles_win.h"

namespace platform {
namespace {

void RegisterClassOnce(const wchar_t* name, WNDPROC procedure) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExW(Instance(), name, &existing)) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = procedure;
  wc.hInstance = Instance();
  wc.hCursor = nullptr;  // WM_SETCURSOR decides
  wc.lpszClassName = name;
  RegisterClassExW(&wc);
}

}  // namespace

Window::~Window() {
  if (hwnd_) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

void Window::CreateBound(const wchar_t* class_name, DWORD ex_style, DWORD style,
                         const wchar_t* caption, const RECT& bounds, HWND parent) {
  RegisterClassOnce(class_name, &Window::Procedure);
  CreateWindowExW(ex_style, class_name, caption, style, bounds.left, bounds.top,
                  bounds.right - bounds.left, bounds.bottom - bounds.top, parent, nullptr,
                  Instance(), this);
}

LRESULT CALLBACK Window::Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* created = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    created->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
  }
  auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, message, wparam, lparam);
  // An unexpected failure inside an event ends the program quietly: nothing
  // may unwind through the system's frames.
  try {
    return self->Dispatch(message, wparam, lparam);
  } catch (...) {
    EndProgram();
  }
}

LRESULT Window::Dispatch(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // the paint covers everything
    case WM_PAINT:
      Paint();
      return 0;
    case WM_NCDESTROY: {
      const HWND hwnd = hwnd_;
      hwnd_ = nullptr;
      WindowDestroyed();
      return DefWindowProcW(hwnd, message, wparam, lparam);
    }
    default:
      return HandleMessage(message, wparam, lparam);
  }
}

LRESULT Window::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  return DefaultHandling(message, wparam, lparam);
}

void Window::PaintContent(HDC /*dc*/, const RECT& /*area*/) {}

// Paints through a back buffer so that nothing flickers; without one, straight
// onto the window.
void Window::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  if (!dc) return;
  const RECT& area = ps.rcPaint;
  const int w = area.right - area.left;
  const int h = area.bottom - area.top;
  if (w > 0 && h > 0) {
    OwnedMemoryDc buffer(CreateCompatibleDC(dc));
    OwnedBitmap bitmap(CreateCompatibleBitmap(dc, w, h));
    if (buffer && bitmap) {
      Selected select(buffer.get(), bitmap.get());
      SetViewportOrgEx(buffer.get(), -area.left, -area.top, nullptr);
      PaintContent(buffer.get(), area);
      SetViewportOrgEx(buffer.get(), 0, 0, nullptr);
      BitBlt(dc, area.left, area.top, w, h, buffer.get(), 0, 0, SRCCOPY);
    } else {
      PaintContent(dc, area);
    }
  }
  EndPaint(hwnd_, &ps);
}

}  // namespace platform
