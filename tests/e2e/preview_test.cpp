// Preview mode of the real program: a host window of this test process plays
// the control panel and gives the program a child "preview area" by handle.
// (Wine shows no window whose parent belongs to another process, so the
// picture's pixels are checked by the Windows-side tests of the preview.)
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "tests/support/program_win.h"
#include "windows/resources/texts.h"

namespace {

using namespace e2e;

TEST(PreviewTest, ChildCoversTheAreaLeavesTheSettingsAloneAndEndsWithTheArea) {
  const struct {
    int width, height;
    bool close_host;  // else the area alone is destroyed
    bool with_file;
  } cases[] = {{152, 112, false, false}, {300, 226, true, true}, {61, 47, false, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
    PreviewArea p(c.width, c.height);
    HelperWindow& host = p.host;
    HelperWindow& area = p.area;
    Started s(p.Arguments(), c.with_file ? "7" : nullptr, "junk");
    const HWND preview = WaitForWindow(s.scr.pid(), nullptr, area.hwnd());
    ASSERT_NE(preview, nullptr) << "no preview window inside the area";

    // A child only (no WS_POPUP beside WS_CHILD), so GetParent answers the
    // area as the window tree does.
    EXPECT_EQ(GetAncestor(preview, GA_PARENT), area.hwnd());
    EXPECT_EQ(GetParent(preview), area.hwnd());
    EXPECT_TRUE(IsChild(area.hwnd(), preview));
    EXPECT_EQ(GetAncestor(preview, GA_ROOT), host.hwnd());
    wchar_t caption[64] = {};
    GetWindowTextW(preview, caption, 64);
    EXPECT_STREQ(caption, varominea::texts::kPreviewCaption);
    const LONG style = GetWindowLongW(preview, GWL_STYLE);
    EXPECT_TRUE(style & WS_CHILD);
    EXPECT_FALSE(style & WS_POPUP);
    EXPECT_FALSE(style & (WS_CAPTION | WS_THICKFRAME)) << "caption bar or border";
    RECT area_rect{}, preview_rect{}, client{};
    GetWindowRect(area.hwnd(), &area_rect);
    GetWindowRect(preview, &preview_rect);
    GetClientRect(preview, &client);
    EXPECT_EQ(preview_rect.left, area_rect.left);
    EXPECT_EQ(preview_rect.top, area_rect.top);
    EXPECT_EQ(preview_rect.right - preview_rect.left, c.width);
    EXPECT_EQ(preview_rect.bottom - preview_rect.top, c.height);
    EXPECT_EQ(client.right, c.width);
    EXPECT_EQ(client.bottom, c.height);
    EXPECT_TRUE(s.scr.running());

    if (c.close_host) {
      SendMessageW(host.hwnd(), WM_CLOSE, 0, 0);
      EXPECT_FALSE(IsWindow(host.hwnd()));
    } else {
      area.Destroy();
    }
    EXPECT_TRUE(WaitUntil([&] { return !s.scr.running(); }, 2s))
        << "the program outlived its preview window";
    EXPECT_EQ(ReadBytes(s.folder.settings()),
              c.with_file ? std::optional(SettingsText("7", "junk")) : std::nullopt);
  }
}

// The settings page destroys the area quickly when the user flips through
// its list: whenever that happens, before the window exists, before it is
// made a child, or after, the program ends within a second and leaves no
// window behind.
TEST(PreviewTest, EndsWithinASecondWhenTheAreaGoesAtAnyMoment) {
  for (int delay_ms = 0; delay_ms <= 250; delay_ms += 25) {
    SCOPED_TRACE("area destroyed after " + std::to_string(delay_ms) + " ms");
    PreviewArea p(152, 112);
    Started s(p.Arguments());
    Sleep(static_cast<DWORD>(delay_ms));
    p.host.Destroy();
    EXPECT_TRUE(WaitUntil([&] { return !s.scr.running(); }, 1s))
        << "the program outlived its preview area";
    EXPECT_EQ(FindProcessWindow(s.scr.pid(), nullptr), nullptr);
  }
}

// The control panel keeps the foreground and the keyboard focus while its
// preview shows, when the preview is clicked and when the host is resized.
TEST(PreviewTest, HostKeepsTheForegroundAndTheFocus) {
  PreviewArea p(152, 112);
  const HWND host = p.host.hwnd();
  SetForegroundWindow(host);
  SetFocus(host);
  const auto expect_host_has_it = [&](const char* when) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    EXPECT_TRUE(GetGUIThreadInfo(GetCurrentThreadId(), &info));
    EXPECT_EQ(GetForegroundWindow(), host) << when;
    EXPECT_EQ(info.hwndActive, host) << when;
    EXPECT_EQ(info.hwndFocus, host) << when;
  };
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == host; }, 5s));
  expect_host_has_it("before");
  Started s(p.Arguments());
  const HWND preview = WaitForWindow(s.scr.pid(), nullptr, p.area.hwnd());
  ASSERT_NE(preview, nullptr);
  EXPECT_TRUE(GetWindowLongW(preview, GWL_EXSTYLE) & WS_EX_NOACTIVATE);
  Sleep(500);  // up and drawn
  expect_host_has_it("shown");

  RECT area{};
  GetWindowRect(p.area.hwnd(), &area);
  ClickAt((area.left + area.right) / 2, (area.top + area.bottom) / 2);
  Sleep(500);
  expect_host_has_it("clicked");

  SetWindowPos(host, nullptr, 0, 0, 400, 360, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowPos(p.area.hwnd(), nullptr, 0, 0, 200, 150, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  Sleep(500);
  expect_host_has_it("resized");
  EXPECT_TRUE(s.scr.running());
}

// At any display density the preview window covers its area exactly, at any
// size of area: hosts that run savers as a desktop background pass the whole
// desktop, wider than any size in 16-bit twips (2,184 px at 96 dpi).
void ExpectPreviewCoversItsArea(int dpi) {
  ASSERT_EQ(ScreenDpi(), dpi);
  for (const auto& [width, height] :
       {std::pair{152, 112}, {301, 227}, {2185, 100}, {100, 2185}, {5000, 5000}}) {
    SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
    PreviewArea p(width, height);
    Started s(p.Arguments());
    const HWND preview = WaitForWindow(s.scr.pid(), nullptr, p.area.hwnd());
    ASSERT_NE(preview, nullptr) << "no preview window inside the area";
    RECT area{}, own{};
    GetWindowRect(p.area.hwnd(), &area);
    GetWindowRect(preview, &own);
    EXPECT_EQ(area.right - area.left, width);
    EXPECT_TRUE(EqualRect(&area, &own))
        << own.left << "," << own.top << " " << own.right << "," << own.bottom;
    EXPECT_TRUE(s.scr.running());
  }
}

TEST(PreviewTest, CoversItsAreaExactlyAtAnySize) {
  ExpectPreviewCoversItsArea(96);
}

TEST(PreviewAt144Dpi, CoversItsAreaExactly) {
  ExpectPreviewCoversItsArea(144);
}

TEST(PreviewAt192Dpi, CoversItsAreaExactly) {
  ExpectPreviewCoversItsArea(192);
}

}  // namespace
