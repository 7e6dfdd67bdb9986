#include "windows/platform/app_win.h"

#include <objbase.h>
#include <shellapi.h>

#include <vector>

#include "windows/platform/handles_win.h"

namespace platform {
namespace {

EndProgramHook g_end_program_hook = nullptr;
HCURSOR g_app_cursor = nullptr;

}  // namespace

void DoEvents() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // Leave the quit request for the outer loop.
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

bool EnsureComOnThisThread() {
  thread_local const bool ready = [] {
    const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    return SUCCEEDED(hr) || hr == RPC_E_CHANGED_MODE;
  }();
  return ready;
}

void RunUntilNoFormsLeft() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void EndProgram() {
  if (g_end_program_hook) g_end_program_hook();
  ExitProcess(0);
}

void SetEndProgramHookForTests(EndProgramHook hook) {
  g_end_program_hook = hook;
}

ScreenMetrics Screen() {
  const WindowDc screen(nullptr);
  int dpi_x = screen ? GetDeviceCaps(screen.get(), LOGPIXELSX) : 96;
  int dpi_y = screen ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
  if (dpi_x <= 0) dpi_x = 96;
  if (dpi_y <= 0) dpi_y = 96;
  return ScreenMetrics{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), dpi_x, dpi_y};
}

std::wstring AppPath() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length =
        GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return L".";
    if (length < buffer.size()) {
      std::wstring path(buffer.data(), length);
      const auto slash = path.find_last_of(L"\\/");
      if (slash == std::wstring::npos) return L".";
      path.resize(slash);
      if (path.size() == 2 && path[1] == L':') path += L'\\';  // drive root keeps its separator
      return path;
    }
    buffer.resize(buffer.size() * 2);
  }
}

void SetAppCursor(HCURSOR cursor) {
  g_app_cursor = cursor;
  // Show it at once where the pointer is, as the next mouse move would.
  POINT pt;
  if (GetCursorPos(&pt)) {
    HWND under = WindowFromPoint(pt);
    DWORD pid = 0;
    if (under) GetWindowThreadProcessId(under, &pid);
    if (pid == GetCurrentProcessId()) {
      if (cursor) {
        ::SetCursor(cursor);
      } else {
        SendMessageW(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
      }
    }
  }
}

HINSTANCE Instance() {
  return GetModuleHandleW(nullptr);
}

HCURSOR AppCursor() {
  return g_app_cursor;
}

}  // namespace platform
