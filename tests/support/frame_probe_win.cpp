#include "tests/support/frame_probe_win.h"

#include <cmath>

namespace test {
namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);

}  // namespace

Frozen::Frozen(HANDLE thread) : thread_(thread) {
  SuspendThread(thread_);
  CONTEXT context{};
  context.ContextFlags = CONTEXT_CONTROL;
  GetThreadContext(thread_, &context);
  Sleep(150);
}

Frozen::~Frozen() {
  ResumeThread(thread_);
}

std::vector<CellSample> SampleCells(RECT display, const std::function<bool(int, int)>& include,
                                    std::uint8_t (*start)(int, int)) {
  const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  return SampleCells(display.left, display.top, display.right - display.left,
                     display.bottom - display.top, include, start, [&](int x, int y) {
                       return PtInRect(&screen, POINT{x, y}) != FALSE;
                     });
}

std::bitset<256> ConsistentFrames(const std::vector<CellSample>& samples, const ScreenShot& shot) {
  return ConsistentFrames(samples, [&](int x, int y) -> std::uint32_t {
    const COLORREF c = shot.pixel(x, y);
    // Outside the copy: a value no palette colour has.
    if (c == CLR_INVALID) return 0xFF000000u;
    return (std::uint32_t{GetRValue(c)} << 16) | (std::uint32_t{GetGValue(c)} << 8) | GetBValue(c);
  });
}

int NonBlack(const ScreenShot& shot, RECT display, Span columns, Span rows, bool inside) {
  const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  int wrong = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const double dx = x - display.left, dy = y - display.top;
      const bool in = dx >= std::ceil(columns.begin) && dx + 1 <= columns.end &&
                      dy >= std::ceil(rows.begin) && dy + 1 <= rows.end;
      if (in == inside && shot.pixel(x, y) != kBlack) ++wrong;
    }
  }
  return wrong;
}

int NonBlackOutside(const ScreenShot& shot, RECT display) {
  return NonBlack(shot, display, {0, double(display.right - display.left)},
                  {0, double(display.bottom - display.top)}, false);
}

FrameCounter::FrameCounter(RECT display)
    : cells_(SampleCells(
          display,
          [](int x, int y) { return y == 128 && (x == 1 || x == 40 || x == 90 || x == 128); },
          SquareStart)) {}

bool FrameCounter::CountUntil(long long target, std::chrono::milliseconds limit,
                              const std::function<bool()>& running) {
  if (!ready()) return false;
  const RECT row{0, cells_[0].y, GetSystemMetrics(SM_CXSCREEN), cells_[0].y + 1};
  const auto end = std::chrono::steady_clock::now() + limit;
  while (frames_ < target && std::chrono::steady_clock::now() < end && running()) {
    const auto fits = ConsistentFrames(cells_, ScreenShot(row));
    if (fits.count() == 1) {
      int n = 0;
      while (!fits.test(static_cast<std::size_t>(n))) ++n;
      if (last_ >= 0) frames_ += static_cast<std::uint8_t>(n - last_);
      last_ = n;
    }
    Sleep(1);
  }
  return frames_ >= target;
}

}  // namespace test
