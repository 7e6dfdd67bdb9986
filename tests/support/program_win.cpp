#include "tests/support/program_win.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "windows/resources/texts.h"

namespace e2e {
namespace {

// The program is aware of each monitor's density and works in physical
// pixels; the tests read and place pixels beside it, so they declare the
// same (else the system would scale every coordinate they see).
[[maybe_unused]] const bool kDpiAware = [] {
  using SetContextFunction = BOOL(WINAPI*)(HANDLE);
  const auto set_context = reinterpret_cast<SetContextFunction>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext")));
  const auto per_monitor_v2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
  if (set_context && set_context(per_monitor_v2)) return true;
  return SetProcessDPIAware() != FALSE;
}();

void SendMouse(DWORD flags, LONG dx = 0, LONG dy = 0, DWORD data = 0) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = dx;
  in.mi.dy = dy;
  in.mi.mouseData = data;
  in.mi.dwFlags = flags;
  SendInput(1, &in, sizeof in);
}

DWORD ButtonFlag(int button, bool down) {
  if (button == 2) return down ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP;
  if (button == 4) return down ? MOUSEEVENTF_MIDDLEDOWN : MOUSEEVENTF_MIDDLEUP;
  if (button == 8 || button == 16) return down ? MOUSEEVENTF_XDOWN : MOUSEEVENTF_XUP;
  return down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
}

// Which side button a button number names (0 for the others).
DWORD SideButton(int button) {
  return button == 8 ? XBUTTON1 : button == 16 ? XBUTTON2 : 0;
}

}  // namespace

ScrFolder::ScrFolder(const char* image_size, const char* proc_pattern) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  static int counter = 0;
  do {
    path_ = std::wstring(temp) + L"varominea-e2e-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(++counter);
  } while (!CreateDirectoryW(path_.c_str(), nullptr));
  // Test programs live in <build>/tests; the program in <build>.
  wchar_t self[MAX_PATH * 4];
  std::wstring program(self, GetModuleFileNameW(nullptr, self, MAX_PATH * 4));
  program = program.substr(0, program.find_last_of(L"\\/")) + L"\\..\\Varominea.scr";
  CopyFileW(program.c_str(), scr().c_str(), FALSE);
  if (image_size) {
    WriteBytes(settings(), SettingsText(image_size, proc_pattern));
  }
}

ScrFolder::~ScrFolder() {
  SetFileAttributesW(settings().c_str(), FILE_ATTRIBUTE_NORMAL);  // a test may have set it
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::wstring ScrFolder::settings() const {
  return path_ + varominea::texts::kSettingsFileSuffix;
}

ScrProcess::ScrProcess(const ScrFolder& folder, const std::wstring& arguments) {
  std::wstring command = L"\"" + folder.scr() + L"\"";
  if (!arguments.empty()) command += L" " + arguments;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(folder.scr().c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.path().c_str(), &si, &pi)) {
    ADD_FAILURE() << "could not start Varominea.scr: error " << GetLastError();
    return;
  }
  process_ = pi.hProcess;
  thread_ = pi.hThread;
  pid_ = pi.dwProcessId;
}

ScrProcess::~ScrProcess() {
  if (!process_) return;
  if (running()) {
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, 5000);
  }
  CloseHandle(thread_);
  CloseHandle(process_);
}

bool ScrProcess::WaitForExit(Millis timeout) {
  return !process_ ||
         WaitForSingleObject(process_, static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
}

bool ScrProcess::running() const {
  return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

Started::Started(const std::wstring& arguments, const char* image_size, const char* proc_pattern,
                 const wchar_t* caption)
    : folder(image_size, proc_pattern), scr(folder, arguments) {
  if (caption) window = WaitForWindow(scr.pid(), caption);
}

namespace {

struct WindowSearch {
  DWORD pid;
  const wchar_t* caption;
  HWND found;
};

// A named function, not a lambda: the 32-bit build needs the callback's
// stdcall convention.
BOOL CALLBACK VisitWindow(HWND hwnd, LPARAM lparam) {
  auto* s = reinterpret_cast<WindowSearch*>(lparam);
  DWORD owner = 0;
  GetWindowThreadProcessId(hwnd, &owner);
  if (owner != s->pid || !IsWindowVisible(hwnd)) return TRUE;
  wchar_t text[256] = {};
  GetWindowTextW(hwnd, text, 256);
  if (s->caption && std::wstring(s->caption) != text) return TRUE;
  s->found = hwnd;
  return FALSE;
}

}  // namespace

HWND FindProcessWindow(DWORD pid, const wchar_t* caption, HWND parent) {
  WindowSearch search{pid, caption, nullptr};
  if (parent) {
    EnumChildWindows(parent, VisitWindow, reinterpret_cast<LPARAM>(&search));
  } else {
    EnumWindows(VisitWindow, reinterpret_cast<LPARAM>(&search));
  }
  return search.found;
}

HWND WaitForWindow(DWORD pid, const wchar_t* caption, HWND parent) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindProcessWindow(pid, caption, parent)) != nullptr; }, 20s);
  return found;
}

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi;
}

void PressKey(WORD virtual_key) {
  INPUT in[2] = {};
  in[0].type = INPUT_KEYBOARD;
  in[0].ki.wVk = virtual_key;
  in[1] = in[0];
  in[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, in, sizeof(INPUT));
}

void PressKeyWith(WORD modifier, WORD virtual_key) {
  INPUT in[4] = {};
  for (INPUT& i : in) i.type = INPUT_KEYBOARD;
  in[0].ki.wVk = in[3].ki.wVk = modifier;
  in[1].ki.wVk = in[2].ki.wVk = virtual_key;
  in[2].ki.dwFlags = in[3].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(4, in, sizeof(INPUT));
}

void MoveMouseTo(int x, int y) {
  // Absolute coordinates are 0..65535 across the virtual screen (every
  // monitor); aim at the pixel's centre.
  const long long left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  const long long top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  SendMouse(
      MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK,
      static_cast<LONG>(((x - left) * 65536LL + 32768) / GetSystemMetrics(SM_CXVIRTUALSCREEN)),
      static_cast<LONG>(((y - top) * 65536LL + 32768) / GetSystemMetrics(SM_CYVIRTUALSCREEN)));
}

void MouseButtonDown(int button) {
  SendMouse(ButtonFlag(button, true), 0, 0, SideButton(button));
}
void MouseButtonUp(int button) {
  SendMouse(ButtonFlag(button, false), 0, 0, SideButton(button));
}

void ClickAt(int x, int y, int button) {
  MoveMouseTo(x, y);
  Sleep(50);
  MouseButtonDown(button);
  Sleep(30);
  MouseButtonUp(button);
}

bool RunOnHost(const std::string& shell_command) {
  static int counter = 0;
  const std::string marker = "/tmp/varominea-e2e-host-" + std::to_string(GetCurrentProcessId()) +
                             "-" + std::to_string(++counter);
  std::wstring marker_here = L"Z:";
  for (const char c : marker) marker_here += c == '/' ? L'\\' : static_cast<wchar_t>(c);
  std::string line = "Z:\\bin\\sh -c \"" + shell_command + "; touch " + marker + "\"";
  std::wstring command(line.begin(), line.end());
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &pi)) {
    return false;
  }
  if (pi.hProcess) CloseHandle(pi.hProcess);
  if (pi.hThread) CloseHandle(pi.hThread);
  const bool done =
      WaitUntil([&] { return GetFileAttributesW(marker_here.c_str()) != INVALID_FILE_ATTRIBUTES; },
                20s, 50ms);
  DeleteFileW(marker_here.c_str());
  return done;
}

std::optional<std::string> ReadBytes(const std::wstring& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
  std::ofstream out(std::filesystem::path(path), std::ios::binary);
  return out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())).flush().good();
}

}  // namespace e2e
