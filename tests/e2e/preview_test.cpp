// Preview mode of the real program: a host window of this test process plays
// the control panel and gives the program a child "preview area" by handle.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/texts.h"
#include "tests/e2e/support.h"

namespace {

using namespace e2e;

// The control panel's part: a top-level window with a child preview area at
// (kAreaLeft, kAreaTop) of its client area.
constexpr int kAreaLeft = 24;
constexpr int kAreaTop = 16;

struct PreviewHost {
  PreviewHost(int width, int height)
      : window(L"preview host", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, nullptr,
               RECT{60, 60, 60 + width + 2 * kAreaLeft + 40, 60 + height + 2 * kAreaTop + 80}),
        area(L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, window.hwnd(),
             RECT{kAreaLeft, kAreaTop, kAreaLeft + width, kAreaTop + height}) {}

  std::wstring Arguments() const {
    return L"/p " + std::to_wstring(reinterpret_cast<LONG_PTR>(area.hwnd()));
  }

  HelperWindow window;
  HelperWindow area;
};

// The visible child window of the area that belongs to the process.
HWND PreviewWindowOf(HWND area, DWORD pid) {
  struct Search {
    DWORD pid;
    HWND found;
  } search{pid, nullptr};
  EnumChildWindows(
      area,
      [](HWND hwnd, LPARAM lparam) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lparam);
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        if (owner != s->pid || !IsWindowVisible(hwnd)) return TRUE;
        s->found = hwnd;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitForPreview(HWND area, const ScrProcess& scr) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = PreviewWindowOf(area, scr.pid())) != nullptr; }, 20s);
  return found;
}

struct AreaSize {
  int width;
  int height;
};

// Wine shows no window whose parent belongs to another process (its drawing
// has no X drawable there), so the picture's pixels are checked in-process by
// the Windows-side tests of the preview window; here the real program must
// place its window right.
TEST(PreviewTest, WindowBecomesAChildCoveringTheAreaWithNoCaption) {
  for (const AreaSize size : {AreaSize{152, 112}, AreaSize{300, 226}, AreaSize{61, 47}}) {
    SCOPED_TRACE(std::to_string(size.width) + " x " + std::to_string(size.height));
    PreviewHost host(size.width, size.height);
    ScrFolder folder;
    ScrProcess scr(folder.scr(), host.Arguments());
    ASSERT_TRUE(scr.started());
    const HWND preview = WaitForPreview(host.area.hwnd(), scr);
    ASSERT_NE(preview, nullptr) << "no preview window inside the area";

    // The window keeps the WS_POPUP bit beside WS_CHILD, so GetParent answers
    // its owner; the window tree itself holds the area as its parent.
    EXPECT_EQ(GetAncestor(preview, GA_PARENT), host.area.hwnd());
    EXPECT_TRUE(IsChild(host.area.hwnd(), preview));
    EXPECT_EQ(GetAncestor(preview, GA_ROOT), host.window.hwnd());
    wchar_t caption[64] = {};
    GetWindowTextW(preview, caption, 64);
    EXPECT_STREQ(caption, varominea::texts::kPreviewCaption);
    const LONG style = GetWindowLongW(preview, GWL_STYLE);
    EXPECT_TRUE(style & WS_CHILD);
    EXPECT_FALSE(style & WS_CAPTION) << "caption bar or border";
    EXPECT_FALSE(style & WS_THICKFRAME);

    // At the area's top-left corner, with its size, and all of it client area.
    RECT area_rect{};
    RECT preview_rect{};
    GetWindowRect(host.area.hwnd(), &area_rect);
    GetWindowRect(preview, &preview_rect);
    EXPECT_EQ(preview_rect.left, area_rect.left);
    EXPECT_EQ(preview_rect.top, area_rect.top);
    EXPECT_EQ(preview_rect.right - preview_rect.left, size.width);
    EXPECT_EQ(preview_rect.bottom - preview_rect.top, size.height);
    RECT client{};
    GetClientRect(preview, &client);
    EXPECT_EQ(client.right, size.width);
    EXPECT_EQ(client.bottom, size.height);

    EXPECT_TRUE(scr.running());
  }
}

TEST(PreviewTest, ProcessEndsWhenTheAreaOrTheHostGoes) {
  struct Case {
    const char* name;
    bool close_host;  // else the area alone is destroyed
  };
  for (const Case c : {Case{"area destroyed", false}, Case{"host closed", true}}) {
    SCOPED_TRACE(c.name);
    PreviewHost host(152, 112);
    ScrFolder folder;
    ScrProcess scr(folder.scr(), host.Arguments());
    ASSERT_TRUE(scr.started());
    ASSERT_NE(WaitForPreview(host.area.hwnd(), scr), nullptr);
    if (c.close_host) {
      SendMessageW(host.window.hwnd(), WM_CLOSE, 0, 0);
      EXPECT_FALSE(IsWindow(host.window.hwnd()));
    } else {
      host.area.Destroy();
    }
    EXPECT_TRUE(WaitUntil([&] { return !scr.running(); }, 2s))
        << "the program outlived its preview window";
  }
}

TEST(PreviewTest, ParentThatIsNoWindowEndsAtOnceWithoutAWindow) {
  HWND stale = nullptr;
  {
    HelperWindow gone(L"gone");
    stale = gone.hwnd();
  }
  const std::vector<std::wstring> arguments = {
      L"/p 0", L"/p", L"/p x", L"/p 7",
      L"/p " + std::to_wstring(reinterpret_cast<LONG_PTR>(stale))};
  for (const std::wstring& args : arguments) {
    SCOPED_TRACE(std::string(args.begin(), args.end()));
    ScrFolder folder;
    ScrProcess scr(folder.scr(), args);
    ASSERT_TRUE(scr.started());
    bool window_seen = false;
    EXPECT_TRUE(WaitUntil(
        [&] {
          window_seen =
              window_seen || FindProcessWindow(scr.pid(), varominea::texts::kPreviewCaption);
          return !scr.running();
        },
        5s));
    EXPECT_FALSE(window_seen);
  }
}

TEST(PreviewTest, LeavesTheSettingsFileAlone) {
  // With no settings file, none is made; an existing one keeps its bytes.
  for (const bool with_file : {false, true}) {
    SCOPED_TRACE(with_file ? "existing file" : "no file");
    ScrFolder folder;
    if (with_file) folder.WriteSettings("7", "junk");
    const auto before = ReadBytes(folder.settings());
    {
      PreviewHost host(152, 112);
      ScrProcess scr(folder.scr(), host.Arguments());
      ASSERT_TRUE(scr.started());
      ASSERT_NE(WaitForPreview(host.area.hwnd(), scr), nullptr);
      host.area.Destroy();
      EXPECT_TRUE(WaitUntil([&] { return !scr.running(); }, 2s));
    }
    EXPECT_EQ(ReadBytes(folder.settings()), before);
    EXPECT_EQ(FileExists(folder.settings()), with_file);
  }
}

}  // namespace
