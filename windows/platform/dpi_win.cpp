#include "windows/platform/dpi_win.h"

#include "windows/platform/handles_win.h"

namespace platform {
namespace {

constexpr int kDefaultDpi = 96;

// A library loaded for one look-up; freed when the owner goes.
class LoadedLibrary {
 public:
  explicit LoadedLibrary(const wchar_t* name)
      : module_(LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {}
  LoadedLibrary(const LoadedLibrary&) = delete;
  LoadedLibrary& operator=(const LoadedLibrary&) = delete;
  ~LoadedLibrary() {
    if (module_) FreeLibrary(module_);
  }
  HMODULE get() const { return module_; }

 private:
  HMODULE module_;
};

// A function the running system may or may not have (the program runs from
// Windows 7 on); nullptr when it has not.
template <typename Function>
Function Find(HMODULE module, const char* name) {
  if (!module) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// Windows 10, 1607 on.
int DpiFromWindow(HWND window) {
  using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
  const auto get_dpi_for_window =
      Find<GetDpiForWindowFunction>(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow");
  return get_dpi_for_window ? static_cast<int>(get_dpi_for_window(window)) : 0;
}

// Windows 8.1 on: the effective density of the window's monitor.
int DpiFromMonitor(HWND window) {
  using GetDpiForMonitorFunction = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
  constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI
  const LoadedLibrary shcore(L"shcore.dll");
  const auto get_dpi_for_monitor = Find<GetDpiForMonitorFunction>(shcore.get(), "GetDpiForMonitor");
  if (!get_dpi_for_monitor) return 0;
  HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
  UINT x = 0;
  UINT y = 0;
  if (!monitor || FAILED(get_dpi_for_monitor(monitor, kEffectiveDpi, &x, &y))) return 0;
  return static_cast<int>(y);
}

// Windows 10, 1607 on.
bool AdjustForDpi(RECT& rect, DWORD style, DWORD ex_style, int dpi) {
  using AdjustFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  const auto adjust =
      Find<AdjustFunction>(GetModuleHandleW(L"user32.dll"), "AdjustWindowRectExForDpi");
  return adjust && adjust(&rect, style, FALSE, ex_style, static_cast<UINT>(dpi));
}

}  // namespace

SIZE FrameExtent(HWND window, int dpi) {
  const auto style = static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE));
  const auto ex_style = static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE));
  RECT rect{0, 0, 0, 0};
  if (!AdjustForDpi(rect, style, ex_style, dpi)) {
    rect = RECT{0, 0, 0, 0};
    AdjustWindowRectEx(&rect, style, FALSE, ex_style);
  }
  return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

RECT WorkAreaOf(HWND window) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &info)) {
    return info.rcWork;
  }
  RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  return work;
}

int SystemDpi() {
  const WindowDc screen(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
  return dpi > 0 ? dpi : kDefaultDpi;
}

int DpiOfWindow(HWND window) {
  if (window && IsWindow(window)) {
    if (const int dpi = DpiFromWindow(window); dpi > 0) return dpi;
    if (const int dpi = DpiFromMonitor(window); dpi > 0) return dpi;
  }
  return SystemDpi();
}

}  // namespace platform
