// The saver window on real Win32, with the program's ending replaced by an
// exception the test can see: its set-up, how its loop stops, its unload,
// and that a missing field is never stepped or shown.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "platform/app_win.h"
#include "saver/dib_header.h"
#include "saver/patterns.h"
#include "saver/pelmor_s.h"
#include "saver/placement.h"
#include "startup/shared_values.h"

namespace varominea {
namespace {

struct ProgramEnded {};
[[noreturn]] void ThrowProgramEnded() {
  throw ProgramEnded{};
}

class SaverWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetEndProgramHookForTests(&ThrowProgramEnded);
    ImageSize = 1;
    ProcPattern = 0;
    ViewRect[0] = ViewRect[1] = 0;
  }
  void TearDown() override {
    platform::SetEndProgramHookForTests(nullptr);
    PixelField.reset();
    KernelParams = KernelParamBlock{};
  }
};

TEST_F(SaverWindowTest, SetUpPointsTheBlockAndHeaderAtTheField) {
  Pelmor_S saver;
  saver.Load();
  saver.Timer1.SetEnabled(false);
  ASSERT_NE(PixelField, nullptr);
  EXPECT_EQ(KernelParams.Width, 256);
  EXPECT_EQ(KernelParams.Height, 256);
  EXPECT_EQ(KernelParams.Bits, PixelField->data() + 256);
  EXPECT_EQ(DibHeader.bmiHeader.biSize, 40u);
  EXPECT_EQ(DibHeader.bmiHeader.biWidth, 256);
  EXPECT_EQ(DibHeader.bmiHeader.biHeight, 256);
  EXPECT_EQ(DibHeader.bmiHeader.biBitCount, 8);
  EXPECT_EQ(ViewRect[1], 800);
  EXPECT_EQ(ViewRect[0], 600);
  EXPECT_EQ(saver.Display.client_width(), 800);
  EXPECT_EQ(saver.Display.client_height(), 600);
  EXPECT_EQ(GetFocus(), saver.Display.hwnd());
  EXPECT_NE(GetWindowLongW(saver.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
}

TEST_F(SaverWindowTest, LoopStopsAfterThePumpOfTheFrameThatSetTheFlag) {
  Pelmor_S saver;
  saver.Load();
  saver.Timer1.SetEnabled(false);
  FillSquareField(*PixelField);
  const std::uint8_t corner = PixelField->at(1, 1);
  const std::uint8_t border = PixelField->at(5, 258);
  saver.LimitFramesForTests(3);
  saver.RunAnimation(KernelParams.Bits);
  EXPECT_EQ(saver.StopFlag, -1);
  // Exactly three steps, over the border rows too.
  EXPECT_EQ(PixelField->at(1, 1), static_cast<std::uint8_t>(corner - 3));
  EXPECT_EQ(PixelField->at(5, 258), static_cast<std::uint8_t>(border - 3));
}

TEST_F(SaverWindowTest, UnloadReleasesTheFieldAndEndsTheProgram) {
  Pelmor_S saver;
  saver.Load();
  saver.Timer1.SetEnabled(false);
  EXPECT_THROW(saver.Unload(), ProgramEnded);
  EXPECT_EQ(PixelField, nullptr);
}

TEST_F(SaverWindowTest, WithoutAFieldTheFirstTickEndsQuietly) {
  for (std::int16_t pattern : {std::int16_t{0}, std::int16_t{1}}) {
    ProcPattern = pattern;
    Pelmor_S saver;
    saver.Load();
    saver.Timer1.SetEnabled(false);
    // As if the allocation had failed: no field, no address.
    PixelField.reset();
    KernelParams.Bits = nullptr;
    EXPECT_THROW(saver.Timer1_Timer(), ProgramEnded) << "pattern " << pattern;
    EXPECT_FALSE(saver.Timer1.enabled());
  }
}

// The blit's source rectangle reaches one column left of and two rows below
// the bitmap. The platform must leave those parts of the destination alone
// and read nothing outside the bitmap: here the bitmap lies between two
// pages that cannot be read, so a stray read ends the test process.
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
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  BITMAPINFO target{};
  target.bmiHeader.biSize = sizeof target.bmiHeader;
  target.bmiHeader.biWidth = kW;
  target.bmiHeader.biHeight = -kH;  // top-down
  target.bmiHeader.biPlanes = 1;
  target.bmiHeader.biBitCount = 32;
  void* target_bits = nullptr;
  HBITMAP section = CreateDIBSection(memory, &target, DIB_RGB_COLORS, &target_bits, nullptr, 0);
  ASSERT_NE(section, nullptr);
  HGDIOBJ previous = SelectObject(memory, section);
  auto* pixels = static_cast<std::uint32_t*>(target_bits);
  std::fill(pixels, pixels + kW * kH, 0u);  // black

  const FrameBlit blit = FrameBlitFor(kW, kH);
  const int lines =
      StretchDIBits(memory, blit.dest_x, blit.dest_y, blit.dest_width, blit.dest_height, blit.src_x,
                    blit.src_y, blit.src_width, blit.src_height, bits,
                    reinterpret_cast<const BITMAPINFO*>(&dib), DIB_RGB_COLORS, SRCCOPY);
  GdiFlush();
  EXPECT_NE(lines, 0);
  const auto at = [&](int x, int y) { return pixels[y * kW + x] & 0xFFFFFFu; };
  const auto colour = [&](std::uint8_t index) {
    const RgbQuad& q = dib.bmiColors[index];
    return (std::uint32_t{q.rgbRed} << 16) | (std::uint32_t{q.rgbGreen} << 8) | q.rgbBlue;
  };
  int strip_pixels_drawn = 0;
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < 3; ++x) strip_pixels_drawn += at(x, y) != 0;  // left strip: 3.125 wide
  }
  for (int y = kH - 4; y < kH; ++y) {  // bottom strip: 4.6875 high
    for (int x = 0; x < kW; ++x) strip_pixels_drawn += at(x, y) != 0;
  }
  EXPECT_EQ(strip_pixels_drawn, 0);
  // Bitmap column c, row r from the bottom shows at cell (c + 1, r + 2).
  for (const auto& [c, r] : {std::pair{0, 0}, std::pair{100, 37}, std::pair{254, 253}}) {
    const int x = *InteriorPixel(CellColumns(blit, c + 1));
    const int y = *InteriorPixel(CellRows(blit, r + 2));
    EXPECT_EQ(at(x, y), colour(bits[r * 256 + c])) << "bitmap column " << c << ", row " << r;
  }

  SelectObject(memory, previous);
  DeleteObject(section);
  DeleteDC(memory);
  VirtualFree(region, 0, MEM_RELEASE);
}

}  // namespace
}  // namespace varominea
