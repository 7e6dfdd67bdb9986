// The stored cursors as the program loads them, and the preview window as a
// child of a preview area of this process (Wine shows no child window of
// another process, so its pixels are read here).
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>

#include "tests/support/host_window_win.h"
#include "tests/support/screen_win.h"
#include "tests/support/wait.h"
#include "windows/platform/handles_win.h"
#include "windows/platform/picture_win.h"
#include "windows/preview/pelmor_r.h"
#include "windows/resources/resource_ids.h"

namespace {

using namespace std::chrono_literals;

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

TEST(PreviewWindowTest, CoversTheAreaWithThePictureAsItsChild) {
  for (const auto& [w, h] : {std::pair{152, 112}, {61, 47}, {300, 226}, {40, 30}}) {
    SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(h));
    test::PreviewArea area(w, h);
    varominea::Pelmor_R preview;
    EXPECT_EQ(preview.Img_Prev.bounds().right, 187);  // design size until placed
    ASSERT_TRUE(varominea::ShowPreviewIn(preview, area.area.hwnd()));
    test::PumpFor(300ms);

    EXPECT_EQ(GetAncestor(preview.hwnd(), GA_PARENT), area.area.hwnd());
    RECT outer{}, own{};
    GetWindowRect(area.area.hwnd(), &outer);
    GetWindowRect(preview.hwnd(), &own);
    EXPECT_TRUE(EqualRect(&outer, &own));

    // The screen from one pixel outside the area: the picture's green along
    // every edge, dark in the middle, and nothing of it outside.
    const test::ScreenShot screen(
        RECT{outer.left - 1, outer.top - 1, outer.right + 1, outer.bottom + 1});
    const auto shot_pixel = [&](int x, int y) {
      return screen.pixel(outer.left - 1 + x, outer.top - 1 + y);
    };
    for (int x = 1; x <= w; ++x) {
      ASSERT_TRUE(IsEdgeGreen(shot_pixel(x, 1)) && IsEdgeGreen(shot_pixel(x, h))) << "x " << x;
      ASSERT_FALSE(IsEdgeGreen(shot_pixel(x, 0)) || IsEdgeGreen(shot_pixel(x, h + 1))) << x;
    }
    for (int y = 1; y <= h; ++y) {
      ASSERT_TRUE(IsEdgeGreen(shot_pixel(1, y)) && IsEdgeGreen(shot_pixel(w, y))) << "y " << y;
      ASSERT_FALSE(IsEdgeGreen(shot_pixel(0, y)) || IsEdgeGreen(shot_pixel(w + 1, y))) << y;
    }
    EXPECT_TRUE(IsDark(shot_pixel(1 + w / 2, 1 + h / 2)));
    preview.Unload();
    MSG msg;  // takes the quit request the last window's end posts
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
}

}  // namespace
