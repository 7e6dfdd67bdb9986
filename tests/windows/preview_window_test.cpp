// The stored pictures decoded by the imaging component, the picture control,
// the cursors, and the preview window placed as a child of a preview area.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/app_win.h"
#include "platform/image_win.h"
#include "platform/picture_win.h"
#include "preview/pelmor_r.h"
#include "resources/resource_ids.h"
#include "startup/shared_values.h"

namespace {

using platform::Picture;

// A 32-bit top-down drawing surface whose pixels the test reads back.
class Canvas {
 public:
  Canvas(int width, int height, COLORREF fill) : width_(width), height_(height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    dc_.reset(CreateCompatibleDC(nullptr));
    bitmap_.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits_, nullptr, 0));
    old_ = SelectObject(dc_.get(), bitmap_.get());
    platform::OwnedBrush brush(CreateSolidBrush(fill));
    RECT all{0, 0, width, height};
    FillRect(dc_.get(), &all, brush.get());
  }
  ~Canvas() { SelectObject(dc_.get(), old_); }
  HDC dc() const { return dc_.get(); }
  COLORREF pixel(int x, int y) const {
    GdiFlush();
    const auto* p =
        static_cast<const BYTE*>(bits_) + (static_cast<std::size_t>(y) * width_ + x) * 4;
    return RGB(p[2], p[1], p[0]);
  }
  int width() const { return width_; }
  int height() const { return height_; }

 private:
  int width_;
  int height_;
  platform::OwnedMemoryDc dc_;
  platform::OwnedBitmap bitmap_;
  void* bits_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

// The preview picture's colours: green at its outer edge, dark in the middle.
bool IsEdgeGreen(COLORREF c) {
  return GetGValue(c) >= 140 && GetRValue(c) < 100 && GetBValue(c) < 120;
}
bool IsDark(COLORREF c) {
  return GetRValue(c) < 60 && GetGValue(c) < 40 && GetBValue(c) < 60;
}

TEST(PictureTest, DecodesEveryStoredPictureAtItsOwnSize) {
  struct Case {
    int id;
    bool bitmap;
    int width;
    int height;
  };
  for (const Case c :
       {Case{IDR_PREVIEW_PICTURE, false, 208, 158}, Case{IDR_FACE_OFF, false, 95, 20},
        Case{IDR_FACE_ON, false, 95, 20}, Case{IDB_TILE, true, 340, 26}}) {
    SCOPED_TRACE(c.id);
    const auto picture = c.bitmap ? Picture::FromBitmapResource(c.id) : Picture::FromResource(c.id);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->width(), c.width);
    EXPECT_EQ(picture->height(), c.height);
    BITMAP info{};
    ASSERT_EQ(GetObjectW(picture->bitmap(), sizeof info, &info), static_cast<int>(sizeof info));
    EXPECT_EQ(info.bmWidth, c.width);
    EXPECT_EQ(info.bmHeight, c.height);
    EXPECT_EQ(info.bmBitsPixel, 32);
  }
}

TEST(PictureTest, MissingOrMismatchedResourcesGiveNoPicture) {
  EXPECT_EQ(Picture::FromResource(9999), nullptr);
  EXPECT_EQ(Picture::FromBitmapResource(9999), nullptr);
  EXPECT_EQ(Picture::FromResource(IDB_TILE), nullptr);  // a BITMAP, not RCDATA
  EXPECT_EQ(Picture::FromBitmapResource(IDR_PREVIEW_PICTURE), nullptr);
}

TEST(PictureTest, BitmapResourceDecodesToItsExactPixelsTopDown) {
  // The resource holds the bitmap's header and bottom-up 24-bit rows.
  HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(IDB_TILE), MAKEINTRESOURCEW(2));
  ASSERT_NE(found, nullptr);
  const auto* raw = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found)));
  ASSERT_NE(raw, nullptr);
  const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(raw);
  ASSERT_EQ(header->biBitCount, 24);
  const BYTE* rows = raw + header->biSize;
  const int stride = (header->biWidth * 3 + 3) & ~3;

  const auto tile = Picture::FromBitmapResource(IDB_TILE);
  ASSERT_NE(tile, nullptr);
  Canvas canvas(tile->width(), tile->height(), RGB(255, 0, 255));
  {
    platform::OwnedMemoryDc source(CreateCompatibleDC(nullptr));
    platform::Selected select(source.get(), tile->bitmap());
    BitBlt(canvas.dc(), 0, 0, tile->width(), tile->height(), source.get(), 0, 0, SRCCOPY);
  }
  for (const auto& [x, y] : {std::pair{0, 0}, {339, 0}, {0, 25}, {339, 25}, {170, 13}, {17, 3}}) {
    const BYTE* p = rows + (tile->height() - 1 - y) * stride + x * 3;
    EXPECT_EQ(canvas.pixel(x, y), RGB(p[2], p[1], p[0])) << "at " << x << "," << y;
  }
}

TEST(PictureTest, StretchCoversTheWholeDestinationAtAnySize) {
  const auto picture = Picture::FromResource(IDR_PREVIEW_PICTURE);
  ASSERT_NE(picture, nullptr);
  for (const auto& [w, h] : {std::pair{152, 112}, {61, 47}, {208, 158}, {400, 300}, {40, 30}}) {
    SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(h));
    // The picture lands at (5, 4) of a black canvas and nowhere else.
    Canvas canvas(w + 10, h + 8, RGB(0, 0, 0));
    picture->StretchTo(canvas.dc(), RECT{5, 4, 5 + w, 4 + h});
    for (int x = 5; x < 5 + w; ++x) {
      ASSERT_TRUE(IsEdgeGreen(canvas.pixel(x, 4))) << "top edge at " << x;
      ASSERT_TRUE(IsEdgeGreen(canvas.pixel(x, 3 + h))) << "bottom edge at " << x;
    }
    for (int y = 4; y < 4 + h; ++y) {
      ASSERT_TRUE(IsEdgeGreen(canvas.pixel(5, y))) << "left edge at " << y;
      ASSERT_TRUE(IsEdgeGreen(canvas.pixel(4 + w, y))) << "right edge at " << y;
    }
    if (w > 20) {
      EXPECT_TRUE(IsDark(canvas.pixel(5 + w / 2, 4 + h / 2)));
    }
    EXPECT_EQ(canvas.pixel(4, 4), RGB(0, 0, 0));
    EXPECT_EQ(canvas.pixel(5 + w, 3 + h), RGB(0, 0, 0));
    EXPECT_EQ(canvas.pixel(5, 4 + h), RGB(0, 0, 0));
  }
}

TEST(ImageTest, PaintsItsPictureStretchedToItsBoundsOrNothingWithout) {
  platform::Container box;
  platform::Image image(box, RECT{0, 0, 187, 178});
  ASSERT_EQ(box.controls().size(), 1u);

  Canvas canvas(60, 40, RGB(1, 2, 3));
  image.Paint(canvas.dc());  // no picture yet: what lies below shows
  EXPECT_EQ(canvas.pixel(10, 10), RGB(1, 2, 3));

  image.SetPicture(Picture::FromResource(IDR_FACE_ON));
  ASSERT_NE(image.picture(), nullptr);
  image.Move(10, 5, 40, 30);
  EXPECT_EQ(image.bounds().left, 10);
  EXPECT_EQ(image.bounds().top, 5);
  EXPECT_EQ(image.bounds().right, 50);
  EXPECT_EQ(image.bounds().bottom, 35);
  image.Paint(canvas.dc());
  EXPECT_EQ(canvas.pixel(10, 5), RGB(0, 0, 0)) << "the face's black frame at the corner";
  EXPECT_EQ(canvas.pixel(9, 5), RGB(1, 2, 3));
  EXPECT_EQ(canvas.pixel(50, 20), RGB(1, 2, 3));
  EXPECT_EQ(canvas.pixel(30, 35), RGB(1, 2, 3));
  const COLORREF strip = canvas.pixel(30, 31);  // the lit strip, stretched down
  EXPECT_GT(GetGValue(strip), 170);
  EXPECT_LT(GetBValue(strip), 90);

  image.Move(3, 4, -5, -1);  // a negative size counts as none
  EXPECT_EQ(image.bounds().right, 3);
  EXPECT_EQ(image.bounds().bottom, 4);
  image.SetPicture(nullptr);
  EXPECT_EQ(image.picture(), nullptr);
}

TEST(CursorTest, StoredCursorsLoadAtTheirSizeWithTheirHotSpots) {
  struct Case {
    int id;
    DWORD hot_x;
    DWORD hot_y;
  };
  for (const Case c : {Case{IDC_BUTTON_HAND, 12, 1}, Case{IDC_LINK_HAND, 12, 10}}) {
    SCOPED_TRACE(c.id);
    const HCURSOR cursor = platform::LoadCursorResource(c.id);
    ASSERT_NE(cursor, nullptr);
    EXPECT_EQ(platform::LoadCursorResource(c.id), cursor) << "one shared handle";
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(cursor, &info));
    platform::OwnedBitmap mask(info.hbmMask);
    platform::OwnedBitmap colour(info.hbmColor);
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, c.hot_x);
    EXPECT_EQ(info.yHotspot, c.hot_y);
    BITMAP bm{};
    GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 32);
  }
  EXPECT_EQ(platform::LoadCursorResource(9999), nullptr);
}

// A host window of this process with a child preview area, as the control
// panel's page has one.
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
      return L"VaromineaPreviewHost";
    }();
    host_ = CreateWindowExW(0, kClass, L"host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 40, 30,
                            width + 100, height + 80, nullptr, nullptr, GetModuleHandleW(nullptr),
                            nullptr);
    area_ = CreateWindowExW(0, kClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 30, 20, width,
                            height, host_, nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  ~PreviewArea() {
    if (IsWindow(host_)) DestroyWindow(host_);
  }
  HWND host() const { return host_; }
  HWND area() const { return area_; }

 private:
  HWND host_ = nullptr;
  HWND area_ = nullptr;
};

// The steps Main takes in preview mode, in twips at the screen's factors.
void PlaceOver(varominea::Pelmor_R& preview, HWND area) {
  const platform::ScreenMetrics screen = platform::Screen();
  RECT r{};
  GetWindowRect(area, &r);
  const long width = screen.twips_per_pixel_x * (r.right - r.left);
  const long height = screen.twips_per_pixel_y * (r.bottom - r.top);
  preview.Load();
  SetWindowLongW(preview.hwnd(), GWL_STYLE, GetWindowLongW(preview.hwnd(), GWL_STYLE) | WS_CHILD);
  SetParent(preview.hwnd(), area);
  preview.SetLeftTwips(0);
  preview.SetTopTwips(0);
  preview.SetWidthTwips(width);
  preview.SetHeightTwips(height);
  preview.Img_Prev.Move(0, 0, static_cast<int>(width / screen.twips_per_pixel_x),
                        static_cast<int>(height / screen.twips_per_pixel_y));
  preview.Show();
}

void Pump(DWORD milliseconds) {
  const DWORD end = GetTickCount() + milliseconds;
  do {
    platform::DoEvents();
    Sleep(10);
  } while (GetTickCount() < end);
}

// Takes a quit request the toolkit posted off the queue; true if there was one.
bool TakeQuit() {
  MSG msg;
  bool quit = false;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      quit = true;
    } else {
      DispatchMessageW(&msg);
    }
  }
  return quit;
}

TEST(PreviewWindowTest, CoversTheAreaWithThePictureAsItsChild) {
  for (const auto& [w, h] : {std::pair{152, 112}, {61, 47}, {300, 226}}) {
    SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(h));
    PreviewArea area(w, h);
    varominea::Pelmor_R preview;
    EXPECT_EQ(preview.Img_Prev.bounds().right, 187);  // design size until placed
    PlaceOver(preview, area.area());
    Pump(300);

    EXPECT_EQ(GetAncestor(preview.hwnd(), GA_PARENT), area.area());
    RECT outer{};
    RECT own{};
    GetWindowRect(area.area(), &outer);
    GetWindowRect(preview.hwnd(), &own);
    EXPECT_TRUE(EqualRect(&outer, &own));
    EXPECT_EQ(preview.Img_Prev.bounds().right, w);
    EXPECT_EQ(preview.Img_Prev.bounds().bottom, h);

    // What the screen shows: the picture's green reaches every corner and
    // edge, with the dark middle in the centre.
    HDC screen = GetDC(nullptr);
    const int l = outer.left, t = outer.top, r = outer.right - 1, b = outer.bottom - 1;
    for (const auto& [x, y] : {std::pair{l, t},
                               {r, t},
                               {l, b},
                               {r, b},
                               {(l + r) / 2, t},
                               {(l + r) / 2, b},
                               {l, (t + b) / 2},
                               {r, (t + b) / 2}}) {
      const COLORREF c = GetPixel(screen, x, y);
      EXPECT_TRUE(IsEdgeGreen(c)) << "at " << x - l << "," << y - t << ": " << std::hex << c;
    }
    EXPECT_TRUE(IsDark(GetPixel(screen, (l + r) / 2, (t + b) / 2)));
    EXPECT_FALSE(IsEdgeGreen(GetPixel(screen, r + 1, t))) << "spills over the area";
    ReleaseDC(nullptr, screen);
    preview.Unload();
    TakeQuit();
  }
}

TEST(PreviewWindowTest, DestroyedWithItsParentItEndsTheMessageLoop) {
  PreviewArea area(152, 112);
  varominea::Pelmor_R preview;
  PlaceOver(preview, area.area());
  Pump(100);
  ASSERT_FALSE(TakeQuit());
  DestroyWindow(area.host());  // no unload runs
  EXPECT_FALSE(preview.loaded());
  EXPECT_TRUE(TakeQuit()) << "the message loop would go on without a window";
}

TEST(PreviewWindowTest, UnloadPostsACloseToItselfThatChangesNothing) {
  varominea::Pelmor_R preview;
  preview.Load();
  varominea::ApiResult = 0;
  preview.Unload();
  EXPECT_EQ(varominea::ApiResult, 1) << "the close request was posted";
  EXPECT_FALSE(preview.loaded());
  EXPECT_TRUE(TakeQuit());  // the posted close found no window any more
}

}  // namespace
