#include "windows/platform/cover_win.h"

namespace platform {
namespace {

constexpr wchar_t kCoverClass[] = L"VaromineaCover";

BOOL CALLBACK AddMonitor(HMONITOR, HDC, LPRECT area, LPARAM found) {
  reinterpret_cast<std::vector<RECT>*>(found)->push_back(*area);
  return TRUE;
}

}  // namespace

std::vector<RECT> MonitorRects() {
  std::vector<RECT> monitors;
  EnumDisplayMonitors(nullptr, nullptr, &AddMonitor, reinterpret_cast<LPARAM>(&monitors));
  return monitors;
}

RECT PrimaryMonitorRect() {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info)) {
    return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  }
  return info.rcMonitor;
}

CoverWindow::CoverWindow(const RECT& area, HWND owner) {
  CreateBound(kCoverClass, WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, WS_POPUP, L"", area,
              owner);
  if (hwnd()) ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
}

LRESULT CoverWindow::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_SETCURSOR:
      SetCursor(LoadCursorW(nullptr, IDC_ARROW));
      return TRUE;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
      if (OnButtonDown) OnButtonDown();
      return message == WM_XBUTTONDOWN ? TRUE : 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (OnKeyDown) OnKeyDown();
      return 0;
    case WM_MOUSEMOVE:
      if (OnMouseMove) {
        POINT at{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
        ClientToScreen(hwnd(), &at);
        OnMouseMove(at);
      }
      return 0;
    default:
      return DefaultHandling(message, wparam, lparam);
  }
}

void CoverWindow::PaintContent(HDC dc, const RECT& area) {
  FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

}  // namespace platform
