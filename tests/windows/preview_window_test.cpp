// The stored cursors as the program loads them, and the preview window as a
// child of a preview area of this process (Wine shows no child window of
// another process, so its pixels are read here).
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>

#include "platform/picture_win.h"
#include "preview/pelmor_r.h"
#include "resources/resource_ids.h"
#include "support.h"

namespace {

using platform::Picture;

// The preview picture's colours: green at its outer edge, dark in the middle.
bool IsEdgeGreen(COLORREF c) {
  return GetGValue(c) >= 140 && GetRValue(c) < 100 && GetBValue(c) < 120;
}
bool IsDark(COLORREF c) {
  return GetRValue(c) < 60 && GetGValue(c) < 40 && GetBValue(c) < 60;
}

TEST(ResourceTest, CursorsLoadWithTheirHotSpotsAndMissingResourcesGiveNothing) {
  for (const auto& [id, hot_x, hot_y] :
       {std::tuple{IDC_BUTTON_HAND, 12ul, 1ul}, {IDC_LINK_HAND, 12ul, 10ul}}) {
    SCOPED_TRACE(id);
    const HCURSOR cursor = platform::LoadCursorResource(id);
    ASSERT_NE(cursor, nullptr);
    EXPECT_EQ(platform::LoadCursorResource(id), cursor) << "one shared handle";
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(cursor, &info));
    platform::OwnedBitmap mask(info.hbmMask);
    platform::OwnedBitmap colour(info.hbmColor);
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, hot_x);
    EXPECT_EQ(info.yHotspot, hot_y);
    BITMAP bm{};
    GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 32);
  }
  EXPECT_EQ(platform::LoadCursorResource(9999), nullptr);
  EXPECT_EQ(Picture::FromResource(9999), nullptr);
  EXPECT_EQ(Picture::FromBitmapResource(9999), nullptr);
  EXPECT_EQ(Picture::FromResource(IDB_TILE), nullptr);  // a BITMAP, not RCDATA
  EXPECT_EQ(Picture::FromBitmapResource(IDR_PREVIEW_PICTURE), nullptr);
}

// A host window with a grey child preview area, as the control panel has.
class PreviewArea {
 public:
  PreviewArea(int width, int height) {
    static const wchar_t* kClass = [] {
      WNDCLASSW wc{};
      wc.lpfnWndProc = DefWindowProcW;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
      wc.lpszClassName = L"VaromineaPreviewHost";
      RegisterClassW(&wc);
      return wc.lpszClassName;
    }();
    host_ = CreateWindowExW(0, kClass, L"host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 40, 30,
                            width + 100, height + 80, nullptr, nullptr, GetModuleHandleW(nullptr),
                            nullptr);
    area_ = CreateWindowExW(0, kClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 30, 20, width,
                            height, host_, nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  PreviewArea(const PreviewArea&) = delete;
  PreviewArea& operator=(const PreviewArea&) = delete;
  ~PreviewArea() { DestroyWindow(host_); }
  HWND area() const { return area_; }

 private:
  HWND host_ = nullptr;
  HWND area_ = nullptr;
};

TEST(PreviewWindowTest, CoversTheAreaWithThePictureAsItsChild) {
  for (const auto& [w, h] : {std::pair{152, 112}, {61, 47}, {300, 226}, {40, 30}}) {
    SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(h));
    PreviewArea area(w, h);
    varominea::Pelmor_R preview;
    EXPECT_EQ(preview.Img_Prev.bounds().right, 187);  // design size until placed
    ASSERT_TRUE(varominea::ShowPreviewIn(preview, area.area()));
    test::Pump(300);

    EXPECT_EQ(GetAncestor(preview.hwnd(), GA_PARENT), area.area());
    RECT outer{}, own{};
    GetWindowRect(area.area(), &outer);
    GetWindowRect(preview.hwnd(), &own);
    EXPECT_TRUE(EqualRect(&outer, &own));

    // The screen from one pixel outside the area: the picture's green along
    // every edge, dark in the middle, and nothing of it outside.
    test::Canvas shot(w + 2, h + 2, RGB(255, 0, 255));
    {
      platform::WindowDc screen(nullptr);
      BitBlt(shot.dc(), 0, 0, w + 2, h + 2, screen.get(), outer.left - 1, outer.top - 1, SRCCOPY);
    }
    for (int x = 1; x <= w; ++x) {
      ASSERT_TRUE(IsEdgeGreen(shot.pixel(x, 1)) && IsEdgeGreen(shot.pixel(x, h))) << "x " << x;
      ASSERT_FALSE(IsEdgeGreen(shot.pixel(x, 0)) || IsEdgeGreen(shot.pixel(x, h + 1))) << x;
    }
    for (int y = 1; y <= h; ++y) {
      ASSERT_TRUE(IsEdgeGreen(shot.pixel(1, y)) && IsEdgeGreen(shot.pixel(w, y))) << "y " << y;
      ASSERT_FALSE(IsEdgeGreen(shot.pixel(0, y)) || IsEdgeGreen(shot.pixel(w + 1, y))) << y;
    }
    EXPECT_TRUE(IsDark(shot.pixel(1 + w / 2, 1 + h / 2)));
    preview.Unload();
    MSG msg;  // takes the quit request the last window's end posts
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
}

}  // namespace
