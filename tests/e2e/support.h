// Support for the end-to-end tests: the real Varominea.scr started as a
// process in a folder of its own, real input events, pixels read back from
// the screen and files read back byte for byte.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>

namespace e2e {

using namespace std::chrono_literals;
using Millis = std::chrono::milliseconds;

// The built Varominea.scr (beside the build tree's root).
std::wstring ScrPath();

// A fresh folder under %TEMP% holding a copy of Varominea.scr; removed with
// everything in it when the test is done.
class ScrFolder {
 public:
  ScrFolder();
  ScrFolder(const ScrFolder&) = delete;
  ScrFolder& operator=(const ScrFolder&) = delete;
  ~ScrFolder();

  const std::wstring& path() const { return path_; }
  std::wstring scr() const { return path_ + L"\\Varominea.scr"; }
  // The settings file beside the copy.
  std::wstring settings() const;
  // Writes the settings file with the two keys (values as given, e.g. " 1").
  void WriteSettings(const std::string& image_size, const std::string& proc_pattern) const;

 private:
  std::wstring path_;
};

// A started copy of the program; ended (if still running) when destroyed.
class ScrProcess {
 public:
  ScrProcess(const std::wstring& scr, const std::wstring& arguments);
  ScrProcess(const ScrProcess&) = delete;
  ScrProcess& operator=(const ScrProcess&) = delete;
  ~ScrProcess();

  bool started() const { return process_ != nullptr; }
  DWORD pid() const { return pid_; }
  HANDLE handle() const { return process_; }
  bool WaitForExit(Millis timeout);
  bool running() const;
  void Kill();

 private:
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
};

// Polls until the condition holds or the time is up.
bool WaitUntil(const std::function<bool()>& condition, Millis timeout, Millis step = 10ms);

// The first visible top-level window of the process with the caption.
HWND FindProcessWindow(DWORD pid, const std::wstring& caption);
HWND WaitForWindow(DWORD pid, const std::wstring& caption, Millis timeout);

// A top-level window of this test process with the given caption (for the
// single-instance guard).
class HelperWindow {
 public:
  explicit HelperWindow(const std::wstring& caption, DWORD style = WS_OVERLAPPEDWINDOW,
                        HWND parent = nullptr, RECT bounds = {100, 100, 400, 300});
  HelperWindow(const HelperWindow&) = delete;
  HelperWindow& operator=(const HelperWindow&) = delete;
  ~HelperWindow();
  HWND hwnd() const { return hwnd_; }
  void Destroy();

 private:
  HWND hwnd_ = nullptr;
};

// Dispatches this process's pending messages.
void PumpMessages();

// The colour on the screen at (x, y), as RGB.
COLORREF ScreenPixel(int x, int y);
// A still copy of the whole screen; pixel() reads it back.
class ScreenShot {
 public:
  ScreenShot();
  int width() const { return width_; }
  int height() const { return height_; }
  COLORREF pixel(int x, int y) const;  // RGB(); CLR_INVALID outside
  // Writes it as a 24-bit BMP (for looking at a failure).
  bool Save(const std::wstring& path) const;

 private:
  int width_ = 0;
  int height_ = 0;
  std::string bgra_;
};

// Real input through SendInput.
void PressKey(WORD virtual_key);
void MoveMouseTo(int x, int y);  // absolute screen pixels
void MouseButtonDown(int button);  // 1 left, 2 right, 4 middle
void MouseButtonUp(int button);
void ClickAt(int x, int y, int button = 1);

// Files read and written byte for byte.
std::optional<std::string> ReadBytes(const std::wstring& path);
bool WriteBytes(const std::wstring& path, const std::string& bytes);
bool FileExists(const std::wstring& path);

}  // namespace e2e
