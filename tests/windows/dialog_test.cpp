// The settings dialog in this process: the zoom animation's rectangles (the
// system draws no trace of them to read back) and the mouse cursor after a
// press on the web link.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/app_win.h"
#include "settings_dialog/layout.h"
#include "settings_dialog/pelmor_p.h"
#include "startup/shared_values.h"
#include "startup/zoom_win.h"

namespace {

using varominea::Pelmor_P;
namespace dialog = varominea::dialog;

struct Animation {
  HWND window;
  int kind;
  RECT from;
  RECT to;
  bool visible;  // whether the window was visible when the animation ran
};
std::vector<Animation> g_animations;

BOOL RecordAnimation(HWND window, int kind, const RECT* from, const RECT* to) {
  g_animations.push_back(Animation{window, kind, *from, *to, IsWindowVisible(window) != FALSE});
  return TRUE;
}

bool Same(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
std::string Text(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
         "," + std::to_string(r.bottom);
}

void Pump(DWORD milliseconds) {
  const DWORD end = GetTickCount() + milliseconds;
  do {
    platform::DoEvents();
    Sleep(10);
  } while (static_cast<LONG>(end - GetTickCount()) > 0);
}

// Waits until the system reports the mouse at the point it was moved to.
bool CursorReaches(POINT target) {
  for (int i = 0; i < 100; ++i) {
    POINT now{};
    if (GetCursorPos(&now) && now.x == target.x && now.y == target.y) return true;
    Pump(10);
  }
  return false;
}

class DialogInProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_animations.clear();
    varominea::SetDrawAnimatedRectsForTests(&RecordAnimation);
  }
  void TearDown() override { varominea::SetDrawAnimatedRectsForTests(nullptr); }
};

TEST_F(DialogInProcessTest, ZoomRunsBetweenTheMousePositionAtLoadAndTheDialog) {
  for (const POINT mouse : {POINT{100, 700}, POINT{1000, 12}}) {
    SCOPED_TRACE(std::to_string(mouse.x) + "," + std::to_string(mouse.y));
    g_animations.clear();
    ASSERT_TRUE(SetCursorPos(mouse.x, mouse.y));
    ASSERT_TRUE(CursorReaches(mouse));
    Pelmor_P form;
    form.Load();
    ASSERT_EQ(g_animations.size(), 1u);
    const RECT window = form.WindowRectPixels();
    EXPECT_EQ(window.right - window.left, 345);
    EXPECT_EQ(window.bottom - window.top, 264);
    const RECT origin{mouse.x, mouse.y, mouse.x, mouse.y};
    const Animation& open = g_animations[0];
    EXPECT_EQ(open.window, form.hwnd());
    EXPECT_EQ(open.kind, IDANI_CAPTION);
    EXPECT_TRUE(Same(open.from, origin)) << Text(open.from);
    EXPECT_TRUE(Same(open.to, window)) << Text(open.to) << " vs " << Text(window);
    EXPECT_FALSE(open.visible) << "the animation ends where the dialog then shows";
    EXPECT_EQ(varominea::ZoomOriginX, mouse.x);
    EXPECT_EQ(varominea::ZoomOriginY, mouse.y);

    // Closing flies back to where the mouse was at load, not where it is now.
    form.Show();
    ASSERT_TRUE(SetCursorPos(3, 3));
    const HWND hwnd = form.hwnd();
    form.Unload();
    ASSERT_EQ(g_animations.size(), 2u);
    const Animation& close = g_animations[1];
    EXPECT_EQ(close.window, hwnd);
    EXPECT_EQ(close.kind, IDANI_CAPTION);
    EXPECT_TRUE(Same(close.from, window)) << Text(close.from);
    EXPECT_TRUE(Same(close.to, origin)) << Text(close.to);
    EXPECT_FALSE(form.loaded());
  }
}

// Makes opening https addresses fail in this prefix for as long as it lives.
class FailingHttpsHandler {
 public:
  FailingHttpsHandler() {
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, L"https\\shell\\open\\command", 0, nullptr, 0,
                        KEY_READ | KEY_WRITE, nullptr, &key_, nullptr) != ERROR_SUCCESS) {
      key_ = nullptr;
      return;
    }
    wchar_t old[1024] = {};
    DWORD size = sizeof old - sizeof(wchar_t);
    DWORD type = 0;
    if (RegQueryValueExW(key_, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(old), &size) ==
            ERROR_SUCCESS &&
        type == REG_SZ) {
      old_ = old;
    }
    Set(L"\"C:\\no such folder\\no such program.exe\" \"%1\"");
  }
  FailingHttpsHandler(const FailingHttpsHandler&) = delete;
  FailingHttpsHandler& operator=(const FailingHttpsHandler&) = delete;
  ~FailingHttpsHandler() {
    if (!key_) return;
    if (old_) {
      Set(*old_);
    } else {
      RegDeleteValueW(key_, nullptr);
    }
    RegCloseKey(key_);
  }
  bool ok() const { return key_ != nullptr; }

 private:
  void Set(const std::wstring& command) {
    RegSetValueExW(key_, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                   static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
  }
  HKEY key_ = nullptr;
  std::optional<std::wstring> old_;
};

// The cursor shown now.
HCURSOR ShownCursor() {
  CURSORINFO info{};
  info.cbSize = sizeof info;
  return GetCursorInfo(&info) ? info.hCursor : nullptr;
}

void Click(POINT at) {
  SetCursorPos(at.x, at.y);
  Pump(50);
  INPUT in[2] = {};
  in[0].type = INPUT_MOUSE;
  in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  in[1].type = INPUT_MOUSE;
  in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, in, sizeof(INPUT));
}

TEST_F(DialogInProcessTest, AfterALinkPressEachPlaceShowsItsOwnCursorAgain) {
  FailingHttpsHandler handler;
  ASSERT_TRUE(handler.ok());
  Pelmor_P form;
  form.Load();
  const HCURSOR link = LoadCursorW(nullptr, IDC_HAND);  // tells the link's cursor apart
  const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
  const HCURSOR hourglass = LoadCursorW(nullptr, IDC_WAIT);
  EXPECT_EQ(form.lbl_URL.caption(), L"" VAROMINEA_HOME_PAGE);
  EXPECT_EQ(form.lbl(9)->caption(), L"Varominea 1.1.0");
  EXPECT_EQ(form.lbl(1), nullptr);
  form.lbl_URL.SetCursor(link);
  form.Show();
  Pump(200);

  auto on_screen = [&](int x, int y) {
    POINT p{x, y};
    ClientToScreen(form.Pic_B.hwnd(), &p);
    return p;
  };
  const dialog::Box url = dialog::kLblUrl;
  Click(on_screen(url.left + 20, url.top + url.height / 2));
  Pump(500);
  EXPECT_TRUE(form.loaded()) << "the dialog stays open";
  EXPECT_TRUE(IsWindowVisible(form.hwnd()));
  EXPECT_EQ(platform::AppCursor(), nullptr);
  EXPECT_NE(ShownCursor(), hourglass);
  EXPECT_EQ(ShownCursor(), link);

  // Over the background (left of every caption) the arrow shows.
  const POINT empty = on_screen(4, 120);
  SetCursorPos(empty.x, empty.y);
  Pump(200);
  EXPECT_EQ(ShownCursor(), arrow);
  form.Unload();
}

}  // namespace
