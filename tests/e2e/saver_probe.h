// Looking at a running saver from outside: its windows, its threads frozen
// between two frames, and the frame number its pixels show.
#pragma once

#include <windows.h>
// after <windows.h>
#include <tlhelp32.h>

#include <array>
#include <bitset>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "resources/texts.h"
#include "saver/dib_header.h"
#include "saver/placement.h"
#include "tests/e2e/support.h"

namespace e2e {

// A saver started from a fresh folder with the given settings.
struct StartedSaver {
  ScrFolder folder;
  std::unique_ptr<ScrProcess> scr;
  HWND window = nullptr;
  HWND display = nullptr;

  StartedSaver(const std::string& image_size, const std::string& proc_pattern,
               const std::wstring& arguments = L"/s") {
    folder.WriteSettings(image_size, proc_pattern);
    scr = std::make_unique<ScrProcess>(folder.scr(), arguments);
    if (!scr->started()) return;
    window = WaitForWindow(scr->pid(), varominea::texts::kSaverCaption, 20s);
    if (window) display = GetWindow(window, GW_CHILD);
  }
};

inline RECT WindowRectOf(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  return r;
}

// The frame-to-frame palette: colour of each index as the saver shows it.
inline std::array<COLORREF, 256> Palette() {
  varominea::DibHeaderRecord dib{};
  varominea::ReadPAL_Newton(dib);
  std::array<COLORREF, 256> colours{};
  for (int i = 0; i < 256; ++i) {
    const auto& q = dib.bmiColors[i];
    colours[static_cast<std::size_t>(i)] = RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
  }
  return colours;
}

// Every thread of a process suspended for as long as this lives. GetThreadContext
// returns only once a thread has really stopped.
class FrozenProcess {
 public:
  explicit FrozenProcess(DWORD pid) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
      if (entry.th32OwnerProcessID != pid) continue;
      HANDLE thread =
          OpenThread(THREAD_SUSPEND_RESUME | THREAD_GET_CONTEXT, FALSE, entry.th32ThreadID);
      if (!thread) continue;
      if (SuspendThread(thread) == static_cast<DWORD>(-1)) {
        CloseHandle(thread);
        continue;
      }
      CONTEXT context{};
      context.ContextFlags = CONTEXT_CONTROL;
      GetThreadContext(thread, &context);
      threads_.push_back(thread);
    }
    CloseHandle(snapshot);
    Sleep(150);  // let the X server finish what it was sent before the stop
  }
  FrozenProcess(const FrozenProcess&) = delete;
  FrozenProcess& operator=(const FrozenProcess&) = delete;
  ~FrozenProcess() {
    for (HANDLE thread : threads_) {
      ResumeThread(thread);
      CloseHandle(thread);
    }
  }
  std::size_t threads() const { return threads_.size(); }

 private:
  std::vector<HANDLE> threads_;
};

// One sampled pixel: where it is on the screen and the cell value it showed
// before the first step.
struct CellSample {
  int x;
  int y;
  std::uint8_t start;
};

// The frame numbers n (mod 256) at which every sample shows
// palette[(start - n) mod 256].
inline std::bitset<256> ConsistentFrames(const std::array<COLORREF, 256>& palette,
                                         const std::vector<CellSample>& samples,
                                         const std::function<COLORREF(int, int)>& pixel) {
  std::bitset<256> frames;
  frames.set();
  for (const CellSample& s : samples) {
    const COLORREF shown = pixel(s.x, s.y);
    std::bitset<256> fits;
    for (int n = 0; n < 256; ++n) {
      if (palette[static_cast<std::uint8_t>(s.start - n)] == shown)
        fits.set(static_cast<std::size_t>(n));
    }
    frames &= fits;
    if (frames.none()) break;
  }
  return frames;
}

// Screen samples of the cells (x, y) for which `include` holds: the pixel
// nearest each cell's middle that lies wholly inside it and on the screen.
template <typename Include, typename StartValue>
std::vector<CellSample> SampleCells(RECT display, Include include, StartValue start) {
  const auto blit =
      varominea::FrameBlitFor(static_cast<std::int16_t>(display.right - display.left),
                              static_cast<std::int16_t>(display.bottom - display.top));
  const int screen_w = GetSystemMetrics(SM_CXSCREEN);
  const int screen_h = GetSystemMetrics(SM_CYSCREEN);
  std::vector<CellSample> samples;
  for (int y = 2; y <= 255; ++y) {
    const auto row = varominea::InteriorPixel(varominea::CellRows(blit, y));
    if (!row) continue;
    for (int x = 1; x <= 255; ++x) {
      if (!include(x, y)) continue;
      const auto column = varominea::InteriorPixel(varominea::CellColumns(blit, x));
      if (!column) continue;
      const int sx = display.left + *column;
      const int sy = display.top + *row;
      if (sx < 0 || sy < 0 || sx >= screen_w || sy >= screen_h) continue;
      samples.push_back({sx, sy, start(x, y)});
    }
  }
  return samples;
}

// Counts frames from outside by reading, from one screen row, cells whose
// start values lie far apart: together their colours give the frame number
// modulo 256. Frames only go forward, so each reading adds the forward
// distance from the one before. A gap of 256 frames or more between two
// readings would be counted short, never long: the count is a lower bound.
class FrameCounter {
 public:
  FrameCounter(RECT display, std::vector<CellSample> cells)
      : palette_(Palette()), display_(display), cells_(std::move(cells)) {
    row_ = cells_.empty() ? 0 : cells_.front().y;
  }

  // Reads the screen once; false when the reading did not decode.
  bool Read() {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -1;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, width, 1, screen, 0, row_, SRCCOPY);
    GdiFlush();
    const auto* line = static_cast<const unsigned char*>(bits);
    const auto frames = ConsistentFrames(palette_, cells_, [&](int x, int) {
      const unsigned char* p = line + static_cast<std::size_t>(x) * 4;
      return RGB(p[2], p[1], p[0]);
    });
    SelectObject(memory, old);
    DeleteObject(dib);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (frames.count() != 1) return false;
    int n = 0;
    while (!frames.test(static_cast<std::size_t>(n))) ++n;
    if (last_) total_ += static_cast<std::uint8_t>(n - *last_);
    last_ = n;
    return true;
  }
  long long frames() const { return total_; }

 private:
  std::array<COLORREF, 256> palette_;
  RECT display_;
  std::vector<CellSample> cells_;
  int row_ = 0;
  std::optional<int> last_;
  long long total_ = 0;
};

}  // namespace e2e
