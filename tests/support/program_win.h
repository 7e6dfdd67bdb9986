// Support for the end-to-end tests: the real Varominea.scr started as a
// process in a folder of its own, real input events, pixels read back from
// the screen and files read back byte for byte.
#pragma once

#include <windows.h>

#include <chrono>
#include <optional>
#include <string>

#include "tests/support/host_window_win.h"
#include "tests/support/screen_win.h"
#include "tests/support/settings_text.h"
#include "tests/support/wait.h"

namespace e2e {

using namespace std::chrono_literals;
using Millis = std::chrono::milliseconds;
using test::HelperWindow;
using test::PreviewArea;
using test::ScreenPixel;
using test::ScreenShot;
using test::SettingsText;
using test::WaitUntil;

// A fresh folder under %TEMP% holding a copy of Varominea.scr and, when
// image_size is given, a settings file with the two values (e.g. " 1");
// removed with everything in it when the test is done.
class ScrFolder {
 public:
  explicit ScrFolder(const char* image_size = nullptr, const char* proc_pattern = nullptr);
  ScrFolder(const ScrFolder&) = delete;
  ScrFolder& operator=(const ScrFolder&) = delete;
  ~ScrFolder();

  const std::wstring& path() const { return path_; }
  std::wstring scr() const { return path_ + L"\\Varominea.scr"; }
  std::wstring settings() const;

 private:
  std::wstring path_;
};

// The copy in a folder started with the arguments (a failure to start is a
// test failure); ended, if still running, when destroyed.
class ScrProcess {
 public:
  ScrProcess(const ScrFolder& folder, const std::wstring& arguments);
  ScrProcess(const ScrProcess&) = delete;
  ScrProcess& operator=(const ScrProcess&) = delete;
  ~ScrProcess();

  DWORD pid() const { return pid_; }
  HANDLE handle() const { return process_; }
  HANDLE main_thread() const { return thread_; }
  bool WaitForExit(Millis timeout);
  bool running() const;

 private:
  HANDLE process_ = nullptr;
  HANDLE thread_ = nullptr;
  DWORD pid_ = 0;
};

// The one way to start the program: a fresh folder with the settings, the
// process, and (with a caption) its visible top-level window of that
// caption, waited for up to 20 s.
struct Started {
  explicit Started(const std::wstring& arguments, const char* image_size = nullptr,
                   const char* proc_pattern = nullptr, const wchar_t* caption = nullptr);
  ScrFolder folder;
  ScrProcess scr;
  HWND window = nullptr;
};

// The first visible window of the process with the caption (any caption when
// null), among the top-level windows or the children of `parent`.
HWND FindProcessWindow(DWORD pid, const wchar_t* caption, HWND parent = nullptr);
HWND WaitForWindow(DWORD pid, const wchar_t* caption, HWND parent = nullptr);

// The display's density in dots per inch (the test programs, like the
// program, see physical pixels at every density).
int ScreenDpi();

// Real input through SendInput.
void PressKey(WORD virtual_key);
void PressKeyWith(WORD modifier, WORD virtual_key);  // e.g. VK_SHIFT, VK_TAB
void MoveMouseTo(int x, int y);                      // absolute pixels of the virtual screen
void MouseButtonDown(int button);  // 1 left, 2 right, 4 middle, 8 and 16 the side buttons
void MouseButtonUp(int button);
void ClickAt(int x, int y, int button = 1);

// Runs a shell command (ASCII, without double quotes) on the machine that
// runs Wine, with the X display the test runs on, and waits up to 20 s for
// it to end. Wine gives no handle to wait on for a host program, so the
// command leaves a marker file when it is done.
bool RunOnHost(const std::string& shell_command);

// Files read and written byte for byte.
std::optional<std::string> ReadBytes(const std::wstring& path);
bool WriteBytes(const std::wstring& path, const std::string& bytes);

}  // namespace e2e
