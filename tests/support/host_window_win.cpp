#include "tests/support/host_window_win.h"

namespace test {

HelperWindow::HelperWindow(const std::wstring& caption, DWORD style, HWND parent, RECT bounds) {
  static const wchar_t* const kClass = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    wc.lpszClassName = L"VaromineaTestHelper";
    RegisterClassW(&wc);
    return wc.lpszClassName;
  }();
  hwnd_ = CreateWindowExW(0, kClass, caption.c_str(), style, bounds.left, bounds.top,
                          bounds.right - bounds.left, bounds.bottom - bounds.top, parent, nullptr,
                          GetModuleHandleW(nullptr), nullptr);
  ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
  PumpMessages();
}

void HelperWindow::Destroy() {
  if (hwnd_) {
    DestroyWindow(hwnd_);
    hwnd_ = nullptr;
    PumpMessages();
  }
}

PreviewArea::PreviewArea(int width, int height)
    : host(L"preview host", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, nullptr,
           RECT{60, 60, 60 + width + 88, 60 + height + 112}),
      area(L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, host.hwnd(),
           RECT{24, 16, 24 + width, 16 + height}) {}

std::wstring PreviewArea::Arguments() const {
  return L"/p " + std::to_wstring(reinterpret_cast<LONG_PTR>(area.hwnd()));
}

}  // namespace test
