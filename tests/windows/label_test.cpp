// The windowless caption: transparent text in the button-text colour, its
// alignment and underline, and taking the mouse only with a handler.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/handles_win.h"
#include "platform/label_win.h"

namespace {

using platform::Alignment;
using platform::Label;
using platform::LabelFont;

constexpr COLORREF kBackground = RGB(10, 200, 30);
constexpr int kWidth = 120;
constexpr int kHeight = 20;

// What a label paints over a uniformly coloured surface.
struct Ink {
  int left = kWidth, right = -1, top = kHeight, bottom = -1;
  int pixels = 0;
  bool only_text_colour = true;
  int widest_row = 0;  // the most ink pixels in one row
};

Ink PaintOnSurface(Label& label) {
  HDC screen = GetDC(nullptr);
  platform::OwnedMemoryDc dc(CreateCompatibleDC(screen));
  platform::OwnedBitmap bitmap(CreateCompatibleBitmap(screen, kWidth, kHeight));
  ReleaseDC(nullptr, screen);
  platform::Selected select(dc.get(), bitmap.get());
  platform::OwnedBrush brush(CreateSolidBrush(kBackground));
  RECT all{0, 0, kWidth, kHeight};
  FillRect(dc.get(), &all, brush.get());
  label.Paint(dc.get());
  Ink ink;
  const COLORREF text = GetSysColor(COLOR_BTNTEXT);
  for (int y = 0; y < kHeight; ++y) {
    int row = 0;
    for (int x = 0; x < kWidth; ++x) {
      const COLORREF c = GetPixel(dc.get(), x, y);
      if (c == kBackground) continue;
      ++ink.pixels;
      ++row;
      if (c != text) ink.only_text_colour = false;
      ink.left = std::min(ink.left, x);
      ink.right = std::max(ink.right, x);
      ink.top = std::min(ink.top, y);
      ink.bottom = std::max(ink.bottom, y);
    }
    ink.widest_row = std::max(ink.widest_row, row);
  }
  return ink;
}

LabelFont Font(bool underline = false) {
  return LabelFont{L"Arial", 9.75, FW_NORMAL, DEFAULT_CHARSET, underline};
}

TEST(LabelTest, DrawsItsTextTransparentlyInTheButtonTextColour) {
  platform::Container box;
  Label label(box, RECT{0, 0, kWidth, kHeight}, L"800 * 600", Alignment::Left, Font());
  const Ink ink = PaintOnSurface(label);
  EXPECT_GT(ink.pixels, 20);
  // Between the strokes the surface stays as it was: no background box.
  EXPECT_LT(ink.pixels, kWidth * kHeight / 4);
  EXPECT_TRUE(ink.only_text_colour);
  EXPECT_LE(ink.left, 3);
  EXPECT_EQ(platform::FontHeightForPoints(9.75), -13) << "at 96 dots per inch";
}

TEST(LabelTest, CentresOrAlignsLeftWithinItsBounds) {
  platform::Container box;
  Label label(box, RECT{0, 0, kWidth, kHeight}, L"AB", Alignment::Left, Font());
  const Ink left = PaintOnSurface(label);
  label.SetAlignment(Alignment::Center);
  const Ink centred = PaintOnSurface(label);
  EXPECT_LE(left.left, 2);
  const int margin_left = centred.left;
  const int margin_right = kWidth - 1 - centred.right;
  EXPECT_NEAR(margin_left, margin_right, 3);
  EXPECT_EQ(centred.right - centred.left, left.right - left.left);
}

TEST(LabelTest, UnderlinedFontDrawsALineUnderTheText) {
  platform::Container box;
  Label plain(box, RECT{0, 0, kWidth, kHeight}, L"https://a.b/", Alignment::Left, Font());
  Label underlined(box, RECT{0, 0, kWidth, kHeight}, L"https://a.b/", Alignment::Left, Font(true));
  const Ink p = PaintOnSurface(plain);
  const Ink u = PaintOnSurface(underlined);
  // The underline is one row of ink across (almost) the whole text.
  EXPECT_GE(u.widest_row, (u.right - u.left) * 9 / 10);
  EXPECT_LT(p.widest_row, (p.right - p.left) * 9 / 10);
}

TEST(LabelTest, TakesTheMouseOnlyWithAHandler) {
  platform::Container box;
  Label label(box, RECT{10, 10, 50, 23}, L"A", Alignment::Center, Font());
  EXPECT_FALSE(label.WantsMouse());
  EXPECT_EQ(box.HitTest(POINT{20, 15}), nullptr) << "presses go through to what is below";
  int downs = 0;
  int ups = 0;
  label.OnMouseDown = [&](const platform::MouseEvent&) { ++downs; };
  EXPECT_TRUE(label.WantsMouse());
  EXPECT_EQ(box.HitTest(POINT{20, 15}), &label);
  EXPECT_EQ(box.HitTest(POINT{60, 15}), nullptr);
  label.MouseDown(platform::MouseEvent{2, 0, 1, 1});
  label.MouseUp(platform::MouseEvent{2, 0, 1, 1});  // no release handler: nothing
  EXPECT_EQ(downs, 1);
  label.OnMouseDown = nullptr;
  label.OnMouseUp = [&](const platform::MouseEvent&) { ++ups; };
  EXPECT_TRUE(label.WantsMouse());
  label.MouseUp(platform::MouseEvent{1, 0, 1, 1});
  EXPECT_EQ(ups, 1);
}

}  // namespace
