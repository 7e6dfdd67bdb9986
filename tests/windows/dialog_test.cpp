// The settings dialog in this process: the zoom animation's rectangles (the
// system draws no trace of them to read back) and the mouse cursor after a
// press on the web link.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "core/shared_values.h"
#include "tests/support/link_handler_win.h"
#include "tests/support/wait.h"
#include "windows/platform/app_win.h"
#include "windows/platform/handles_win.h"
#include "windows/settings_dialog/layout.h"
#include "windows/settings_dialog/pelmor_p.h"
#include "windows/settings_dialog/zoom_win.h"

namespace {

using namespace std::chrono_literals;

using varominea::Pelmor_P;

struct Animation {
  HWND window;
  int kind;
  RECT from, to;
  bool visible;  // whether the window was visible when the animation ran
};
std::vector<Animation> g_animations;

BOOL RecordAnimation(HWND window, int kind, const RECT* from, const RECT* to) {
  g_animations.push_back(Animation{window, kind, *from, *to, IsWindowVisible(window) != FALSE});
  return TRUE;
}

void ExpectAnimation(const Animation& a, HWND window, RECT from, RECT to) {
  EXPECT_EQ(a.window, window);
  EXPECT_EQ(a.kind, IDANI_CAPTION);
  EXPECT_TRUE(EqualRect(&a.from, &from)) << a.from.left << "," << a.from.top;
  EXPECT_TRUE(EqualRect(&a.to, &to)) << a.to.left << "," << a.to.top;
}

// Moves the mouse with real input and waits until the system reports it there.
bool MoveMouse(POINT to) {
  SetCursorPos(to.x, to.y);
  return test::WaitUntil(
      [&] {
        POINT now{};
        return GetCursorPos(&now) && now.x == to.x && now.y == to.y;
      },
      1s);
}

class DialogInProcessTest : public ::testing::Test {
 protected:
  void SetUp() override { varominea::SetDrawAnimatedRectsForTests(&RecordAnimation); }
  void TearDown() override { varominea::SetDrawAnimatedRectsForTests(nullptr); }
};

TEST_F(DialogInProcessTest, ZoomRunsBetweenTheMousePositionAtLoadAndTheDialog) {
  for (const POINT mouse : {POINT{100, 700}, POINT{1000, 12}}) {
    SCOPED_TRACE(std::to_string(mouse.x) + "," + std::to_string(mouse.y));
    g_animations.clear();
    ASSERT_TRUE(MoveMouse(mouse));
    Pelmor_P form;
    form.Load();
    ASSERT_EQ(g_animations.size(), 1u);
    const RECT window = form.WindowRectPixels();
    const RECT origin{mouse.x, mouse.y, mouse.x, mouse.y};
    ExpectAnimation(g_animations[0], form.hwnd(), origin, window);
    EXPECT_FALSE(g_animations[0].visible) << "the animation ends where the dialog then shows";
    EXPECT_EQ(varominea::ZoomOriginX, mouse.x);
    EXPECT_EQ(varominea::ZoomOriginY, mouse.y);

    // Closing flies back to where the mouse was at load, not where it is now.
    form.Show();
    ASSERT_TRUE(SetCursorPos(3, 3));
    const HWND hwnd = form.hwnd();
    form.Unload();
    ASSERT_EQ(g_animations.size(), 2u);
    ExpectAnimation(g_animations[1], hwnd, window, origin);
    EXPECT_FALSE(form.loaded());
  }
}

HCURSOR ShownCursor() {
  CURSORINFO info{};
  info.cbSize = sizeof info;
  return GetCursorInfo(&info) ? info.hCursor : nullptr;
}

TEST_F(DialogInProcessTest, AfterALinkPressEachPlaceShowsItsOwnCursorAgain) {
  test::HttpsHandler handler(test::kFailingLinkCommand);
  ASSERT_TRUE(handler.ok());
  Pelmor_P form;
  form.Load();
  const HCURSOR link = LoadCursorW(nullptr, IDC_HAND);  // tells the link's cursor apart
  form.lbl_URL.SetCursor(link);
  form.Show();
  test::PumpFor(200ms);
  const auto on_screen = [&](int x, int y) {
    POINT p{x, y};
    ClientToScreen(form.Pic_B.hwnd(), &p);
    return p;
  };
  const varominea::dialog::Box url = varominea::dialog::kLblUrl;
  ASSERT_TRUE(MoveMouse(on_screen(url.left + 20, url.top + url.height / 2)));
  INPUT press[2] = {};
  press[0].type = press[1].type = INPUT_MOUSE;
  press[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  press[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, press, sizeof(INPUT));
  test::PumpFor(500ms);
  EXPECT_TRUE(form.loaded()) << "the dialog stays open";
  EXPECT_TRUE(IsWindowVisible(form.hwnd()));
  EXPECT_EQ(platform::AppCursor(), nullptr);
  EXPECT_EQ(ShownCursor(), link) << "no hourglass left behind";

  // Over the background (left of every caption) the arrow shows.
  ASSERT_TRUE(MoveMouse(on_screen(4, 120)));
  test::PumpFor(200ms);
  EXPECT_EQ(ShownCursor(), LoadCursorW(nullptr, IDC_ARROW));
  form.Unload();
}

// Moved to a monitor of another density, the dialog takes the suggested
// position and lays itself out again: boxes, fonts and cursors at the new
// density, and back, with the client area the background box exactly.
TEST_F(DialogInProcessTest, DpiChangeTakesTheSuggestedRectangleAndLaysOutAgain) {
  namespace dialog = varominea::dialog;
  Pelmor_P form;
  form.Load();
  const auto cursor_width = [](HCURSOR cursor) {
    ICONINFO info{};
    if (!GetIconInfo(cursor, &info)) return 0;
    platform::OwnedBitmap mask(info.hbmMask);
    platform::OwnedBitmap colour(info.hbmColor);
    BITMAP bm{};
    GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
    return static_cast<int>(bm.bmWidth);
  };
  for (const int dpi : {144, 192, 96}) {
    SCOPED_TRACE(dpi);
    const dialog::Size client = dialog::ClientSizeAt(dpi);
    RECT suggested{40, 30, 40 + client.width + 8, 30 + client.height + 27};
    SendMessageW(form.hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                 reinterpret_cast<LPARAM>(&suggested));
    const RECT window = form.WindowRectPixels();
    EXPECT_EQ(window.left, 40);
    EXPECT_EQ(window.top, 30);
    RECT inside{};
    GetClientRect(form.hwnd(), &inside);
    EXPECT_EQ(inside.right, client.width);
    EXPECT_EQ(inside.bottom, client.height);
    const dialog::Box box = dialog::ScaleToDpi(dialog::kPicB, dpi);
    EXPECT_EQ(form.Pic_B.width(), box.width);
    EXPECT_EQ(form.Pic_B.height(), box.height);
    const dialog::Box caption = dialog::ScaleToDpi(dialog::kLblOpt[1], dpi);
    const RECT expected{caption.left, caption.top, caption.left + caption.width,
                        caption.top + caption.height};
    EXPECT_TRUE(EqualRect(&form.lbl_Opt[1].bounds(), &expected));
    LOGFONTW font{};
    GetObjectW(form.lbl_Opt[1].font_handle(), sizeof font, &font);
    EXPECT_EQ(font.lfHeight, -static_cast<LONG>(std::lround(9.75 * dpi / 72.0)));
    EXPECT_EQ(cursor_width(form.lbl_K[0].cursor()), dialog::ScaleToDpi(32, dpi));
    EXPECT_EQ(form.lbl_Opt[2].cursor(), form.lbl_K[0].cursor()) << "the button cursor goes along";
    EXPECT_EQ(cursor_width(form.lbl_URL.cursor()), dialog::ScaleToDpi(32, dpi));
  }
  form.Unload();
}

}  // namespace
