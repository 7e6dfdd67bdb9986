// The saver window on real Win32, with the program's ending replaced by an
// exception the test can see: how its loop stops, its unload, a missing
// field, and the blit that reaches outside the bitmap.
#include <gtest/gtest.h>

#include <utility>

#include "core/dib_header.h"
#include "core/patterns.h"
#include "core/placement.h"
#include "core/shared_values.h"
#include "tests/support/canvas_win.h"
#include "tests/support/cells.h"
#include "windows/platform/app_win.h"
#include "windows/saver/pelmor_s.h"

namespace varominea {
namespace {

struct ProgramEnded {};

// While it lives, ending the program throws; afterwards the field is gone.
struct EndingThrows {
  EndingThrows() {
    platform::SetEndProgramHookForTests([] { throw ProgramEnded{}; });
    ImageSize = 1;
    ProcPattern = 0;
  }
  ~EndingThrows() {
    platform::SetEndProgramHookForTests(nullptr);
    PixelField.reset();
    KernelParams = KernelParamBlock{};
  }
};

void Start(Pelmor_S& saver) {
  saver.Load();
  saver.Timer1.SetEnabled(false);
}

TEST(SaverWindowTest, LoopStopsAfterThePumpOfTheFrameThatSetTheFlag) {
  EndingThrows ending;
  Pelmor_S saver(/*command_line_empty=*/false);
  Start(saver);
  FillSquareField(*PixelField);
  const std::uint8_t corner = PixelField->at(1, 1);
  const std::uint8_t border = PixelField->at(5, 258);
  saver.LimitFramesForTests(3);
  saver.RunAnimation(KernelParams.Bits);
  EXPECT_EQ(saver.StopFlag, -1);
  // Exactly three steps, over the border rows too.
  EXPECT_EQ(PixelField->at(1, 1), static_cast<std::uint8_t>(corner - 3));
  EXPECT_EQ(PixelField->at(5, 258), static_cast<std::uint8_t>(border - 3));
  EXPECT_THROW(saver.Unload(), ProgramEnded);
  EXPECT_EQ(PixelField, nullptr) << "unloading releases the field";
}

// The window is the screen's size times the twips per pixel, from the
// screen's top-left corner, and so covers the screen.
TEST(SaverWindowTest, WindowIsTheScreenTimesTheTwipsPerPixelFromTheCorner) {
  EndingThrows ending;
  Pelmor_S saver(/*command_line_empty=*/false);
  Start(saver);
  const platform::ScreenMetrics screen = platform::Screen();
  const RECT outer = saver.WindowRectPixels();
  EXPECT_EQ(outer.left, 0);
  EXPECT_EQ(outer.top, 0);
  EXPECT_EQ(outer.right, SaverWindowExtentPx(screen.width_px, screen.dpi_x));
  EXPECT_EQ(outer.bottom, SaverWindowExtentPx(screen.height_px, screen.dpi_y));
  EXPECT_EQ(outer.right, screen.width_px * TwipsPerPixel(screen.dpi_x));
  EXPECT_THROW(saver.Unload(), ProgramEnded);
}

TEST(SaverWindowTest, WithoutAFieldTheFirstTickEndsQuietly) {
  EndingThrows ending;
  for (std::int16_t pattern : {std::int16_t{0}, std::int16_t{1}}) {
    ProcPattern = pattern;
    Pelmor_S saver(/*command_line_empty=*/false);
    Start(saver);
    // As if the allocation had failed: no field, no address.
    PixelField.reset();
    KernelParams.Bits = nullptr;
    EXPECT_THROW(saver.Timer1_Timer(), ProgramEnded) << "pattern " << pattern;
    EXPECT_FALSE(saver.Timer1.enabled());
  }
}

// The blit's source starts one column left of and two rows below the bitmap.
// The bitmap lies between two unreadable pages, so a stray read ends the
// process; the parts of the destination outside it must stay black.
TEST(FrameBlitTest, SourceOutsideTheBitmapIsNeitherReadNorDrawn) {
  SYSTEM_INFO system{};
  GetSystemInfo(&system);
  const std::size_t page = system.dwPageSize;
  const std::size_t bitmap_bytes = 256 * 256;
  ASSERT_EQ(bitmap_bytes % page, 0u);
  auto* region = static_cast<std::uint8_t*>(
      VirtualAlloc(nullptr, bitmap_bytes + 2 * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
  ASSERT_NE(region, nullptr);
  DWORD old = 0;
  ASSERT_TRUE(VirtualProtect(region, page, PAGE_NOACCESS, &old));
  ASSERT_TRUE(VirtualProtect(region + page + bitmap_bytes, page, PAGE_NOACCESS, &old));
  std::uint8_t* bits = region + page;
  for (std::size_t i = 0; i < bitmap_bytes; ++i) bits[i] = static_cast<std::uint8_t>(1 + i % 255);
  DibHeaderRecord dib{};
  ReadPAL_Newton(dib);
  KernelParamBlock params{256, 256, bits};
  FillDibHeader(dib, params);

  constexpr int kW = 800, kH = 600;
  test::Canvas canvas(kW, kH, RGB(0, 0, 0));
  const FrameBlit blit = FrameBlitFor(kW, kH);
  EXPECT_NE(StretchDIBits(canvas.dc(), blit.dest_x, blit.dest_y, blit.dest_width, blit.dest_height,
                          blit.src_x, blit.src_y, blit.src_width, blit.src_height, bits,
                          reinterpret_cast<const BITMAPINFO*>(&dib), DIB_RGB_COLORS, SRCCOPY),
            0);
  int strip_pixels_drawn = 0;  // left strip 3.125 pixels wide, bottom strip 4.6875 high
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) strip_pixels_drawn += (x < 3 || y >= kH - 4) && canvas.pixel(x, y);
  }
  EXPECT_EQ(strip_pixels_drawn, 0);
  // Bitmap column c, row r from the bottom shows at cell (c + 1, r + 2).
  for (const auto& [c, r] : {std::pair{0, 0}, std::pair{100, 37}, std::pair{254, 253}}) {
    const RgbQuad& q = dib.bmiColors[bits[r * 256 + c]];
    EXPECT_EQ(canvas.pixel(*test::InteriorPixel(test::CellColumns(blit, c + 1)),
                           *test::InteriorPixel(test::CellRows(blit, r + 2))),
              RGB(q.rgbRed, q.rgbGreen, q.rgbBlue))
        << "bitmap column " << c << ", row " << r;
  }
  VirtualFree(region, 0, MEM_RELEASE);
}

}  // namespace
}  // namespace varominea
