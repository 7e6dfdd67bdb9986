#include "tests/support/frame_probe_win.h"

#include <array>
#include <cmath>

#include "core/dib_header.h"

namespace test {
namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);

// The colour of each index as the saver shows it.
const std::array<COLORREF, 256>& Palette() {
  static const std::array<COLORREF, 256> colours = [] {
    varominea::DibHeaderRecord dib{};
    varominea::ReadPAL_Newton(dib);
    std::array<COLORREF, 256> c{};
    for (std::size_t i = 0; i < 256; ++i) {
      c[i] = RGB(dib.bmiColors[i].rgbRed, dib.bmiColors[i].rgbGreen, dib.bmiColors[i].rgbBlue);
    }
    return c;
  }();
  return colours;
}

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
  const auto blit =
      varominea::FrameBlitFor(static_cast<std::int16_t>(display.right - display.left),
                              static_cast<std::int16_t>(display.bottom - display.top));
  const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  std::vector<CellSample> samples;
  for (int y = 2; y <= 255; ++y) {
    const auto row = InteriorPixel(CellRows(blit, y));
    for (int x = 1; row && x <= 255; ++x) {
      const auto column = InteriorPixel(CellColumns(blit, x));
      if (!include(x, y) || !column) continue;
      const int sx = display.left + *column;
      const int sy = display.top + *row;
      if (PtInRect(&screen, POINT{sx, sy})) samples.push_back({sx, sy, start(x, y)});
    }
  }
  return samples;
}

std::bitset<256> ConsistentFrames(const std::vector<CellSample>& samples, const ScreenShot& shot) {
  std::bitset<256> frames;
  frames.set();
  for (const CellSample& s : samples) {
    const COLORREF shown = shot.pixel(s.x, s.y);
    std::bitset<256> fits;
    for (std::size_t n = 0; n < 256; ++n) {
      fits[n] = Palette()[static_cast<std::uint8_t>(s.start - n)] == shown;
    }
    frames &= fits;
  }
  return frames;
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

}  // namespace test
