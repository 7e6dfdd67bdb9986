#include "tests/e2e/support.h"

#include <shellapi.h>

#include <thread>
#include <vector>

#include "resources/texts.h"

namespace e2e {
namespace {

std::wstring ModuleFolder() {
  wchar_t buffer[MAX_PATH * 4];
  const DWORD n = GetModuleFileNameW(nullptr, buffer, MAX_PATH * 4);
  std::wstring path(buffer, n);
  return path.substr(0, path.find_last_of(L"\\/"));
}

void RemoveTree(const std::wstring& folder) {
  std::wstring from = folder;
  from.push_back(L'\0');  // double-NUL-terminated list
  SHFILEOPSTRUCTW op{};
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_NO_UI;
  SHFileOperationW(&op);
}

void SendMouse(DWORD flags, LONG dx = 0, LONG dy = 0) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = dx;
  in.mi.dy = dy;
  in.mi.dwFlags = flags;
  SendInput(1, &in, sizeof in);
}

}  // namespace

std::wstring ScrPath() {
  if (const wchar_t* env = _wgetenv(L"VAROMINEA_SCR")) return env;
  // Test programs live in <build>/tests; the program in <build>.
  return ModuleFolder() + L"\\..\\Varominea.scr";
}

ScrFolder::ScrFolder() {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  static int counter = 0;
  for (;;) {
    path_ = std::wstring(temp) + L"varominea-e2e-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(++counter);
    if (CreateDirectoryW(path_.c_str(), nullptr)) break;
  }
  CopyFileW(ScrPath().c_str(), scr().c_str(), FALSE);
}

ScrFolder::~ScrFolder() {
  // Files may have been made read-only by a test.
  SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
  RemoveTree(path_);
}

std::wstring ScrFolder::settings() const { return path_ + varominea::texts::kSettingsFileSuffix; }

void ScrFolder::WriteSettings(const std::string& image_size,
                              const std::string& proc_pattern) const {
  WriteBytes(settings(), std::string("[Section]\r\n") + varominea::texts::kKeyImageSize + "=" +
                             image_size + "\r\n" + varominea::texts::kKeyProcPattern + "=" +
                             proc_pattern + "\r\n");
}

ScrProcess::ScrProcess(const std::wstring& scr, const std::wstring& arguments) {
  std::wstring command = L"\"" + scr + L"\"";
  if (!arguments.empty()) command += L" " + arguments;
  std::vector<wchar_t> buffer(command.begin(), command.end());
  buffer.push_back(L'\0');
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  const std::wstring folder = scr.substr(0, scr.find_last_of(L"\\/"));
  if (CreateProcessW(scr.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                     folder.c_str(), &si, &pi)) {
    CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    pid_ = pi.dwProcessId;
  }
}

ScrProcess::~ScrProcess() {
  if (process_) {
    Kill();
    CloseHandle(process_);
  }
}

bool ScrProcess::WaitForExit(Millis timeout) {
  if (!process_) return true;
  return WaitForSingleObject(process_, static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
}

bool ScrProcess::running() const {
  return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

void ScrProcess::Kill() {
  if (running()) {
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, 5000);
  }
}

bool WaitUntil(const std::function<bool()>& condition, Millis timeout, Millis step) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    PumpMessages();
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    Sleep(static_cast<DWORD>(step.count()));
  }
}

HWND FindProcessWindow(DWORD pid, const std::wstring& caption) {
  struct Search {
    DWORD pid;
    const std::wstring* caption;
    HWND found;
  } search{pid, &caption, nullptr};
  EnumWindows(
      [](HWND hwnd, LPARAM lparam) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lparam);
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        if (owner != s->pid || !IsWindowVisible(hwnd)) return TRUE;
        wchar_t text[256] = {};
        GetWindowTextW(hwnd, text, 256);
        if (*s->caption != text) return TRUE;
        s->found = hwnd;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitForWindow(DWORD pid, const std::wstring& caption, Millis timeout) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindProcessWindow(pid, caption)) != nullptr; }, timeout);
  return found;
}

HelperWindow::HelperWindow(const std::wstring& caption, DWORD style, HWND parent, RECT bounds) {
  static const wchar_t* kClass = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    wc.lpszClassName = L"VaromineaTestHelper";
    RegisterClassW(&wc);
    return L"VaromineaTestHelper";
  }();
  hwnd_ = CreateWindowExW(0, kClass, caption.c_str(), style, bounds.left, bounds.top,
                          bounds.right - bounds.left, bounds.bottom - bounds.top, parent, nullptr,
                          GetModuleHandleW(nullptr), nullptr);
  ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
  PumpMessages();
}

HelperWindow::~HelperWindow() { Destroy(); }

void HelperWindow::Destroy() {
  if (hwnd_) {
    DestroyWindow(hwnd_);
    hwnd_ = nullptr;
    PumpMessages();
  }
}

void PumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

COLORREF ScreenPixel(int x, int y) {
  HDC screen = GetDC(nullptr);
  const COLORREF c = GetPixel(screen, x, y);
  ReleaseDC(nullptr, screen);
  return c;
}

ScreenShot::ScreenShot() {
  width_ = GetSystemMetrics(SM_CXSCREEN);
  height_ = GetSystemMetrics(SM_CYSCREEN);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = width_;
  bi.bmiHeader.biHeight = -height_;  // top-down
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, dib);
  BitBlt(memory, 0, 0, width_, height_, screen, 0, 0, SRCCOPY);
  GdiFlush();
  bgra_.assign(static_cast<const char*>(bits), static_cast<std::size_t>(width_) * height_ * 4);
  SelectObject(memory, old);
  DeleteObject(dib);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}

COLORREF ScreenShot::pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
  const auto* p = reinterpret_cast<const unsigned char*>(bgra_.data()) +
                  (static_cast<std::size_t>(y) * width_ + x) * 4;
  return RGB(p[2], p[1], p[0]);
}

bool ScreenShot::Save(const std::wstring& path) const {
  const int stride = (width_ * 3 + 3) & ~3;
  std::string file(54 + static_cast<std::size_t>(stride) * height_, '\0');
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) file[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  file[0] = 'B';
  file[1] = 'M';
  put32(2, static_cast<std::uint32_t>(file.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<std::uint32_t>(width_));
  put32(22, static_cast<std::uint32_t>(height_));
  file[26] = 1;
  file[28] = 24;
  for (int y = 0; y < height_; ++y) {
    const int src_row = height_ - 1 - y;
    for (int x = 0; x < width_; ++x) {
      const char* p = bgra_.data() + (static_cast<std::size_t>(src_row) * width_ + x) * 4;
      char* q = file.data() + 54 + static_cast<std::size_t>(y) * stride + x * 3;
      q[0] = p[0];
      q[1] = p[1];
      q[2] = p[2];
    }
  }
  return WriteBytes(path, file);
}

void PressKey(WORD virtual_key) {
  INPUT in[2] = {};
  in[0].type = INPUT_KEYBOARD;
  in[0].ki.wVk = virtual_key;
  in[1] = in[0];
  in[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, in, sizeof(INPUT));
}

void MoveMouseTo(int x, int y) {
  const int w = GetSystemMetrics(SM_CXSCREEN);
  const int h = GetSystemMetrics(SM_CYSCREEN);
  // Absolute coordinates are 0..65535 across the screen; aim at the pixel's centre.
  const LONG ax = static_cast<LONG>((x * 65536LL + 32768) / w);
  const LONG ay = static_cast<LONG>((y * 65536LL + 32768) / h);
  SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, ax, ay);
}

void MouseButtonDown(int button) {
  SendMouse(button == 2 ? MOUSEEVENTF_RIGHTDOWN
                        : button == 4 ? MOUSEEVENTF_MIDDLEDOWN : MOUSEEVENTF_LEFTDOWN);
}

void MouseButtonUp(int button) {
  SendMouse(button == 2 ? MOUSEEVENTF_RIGHTUP
                        : button == 4 ? MOUSEEVENTF_MIDDLEUP : MOUSEEVENTF_LEFTUP);
}

void ClickAt(int x, int y, int button) {
  MoveMouseTo(x, y);
  Sleep(50);
  MouseButtonDown(button);
  Sleep(30);
  MouseButtonUp(button);
}

std::optional<std::string> ReadBytes(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string bytes;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(file);
  return bytes;
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

bool FileExists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace e2e
