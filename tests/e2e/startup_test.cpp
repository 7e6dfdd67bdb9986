// Start-up of the real program: the single-instance guard and the command
// lines that end at once.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/texts.h"
#include "tests/e2e/support.h"

namespace {

using namespace e2e;

// Whether the process has a visible top-level window.
bool HasVisibleWindow(DWORD pid) {
  struct Search {
    DWORD pid;
    bool found;
  } search{pid, false};
  EnumWindows(
      [](HWND hwnd, LPARAM lparam) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lparam);
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        if (owner == s->pid && IsWindowVisible(hwnd)) s->found = true;
        return !s->found;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Waits for the process to end and tells whether it ever showed a window.
struct Ending {
  bool ended = false;
  bool window_seen = false;
};
Ending WatchEnding(const ScrProcess& scr, Millis timeout) {
  Ending result;
  result.ended = WaitUntil(
      [&] {
        result.window_seen = result.window_seen || HasVisibleWindow(scr.pid());
        return !scr.running();
      },
      timeout);
  return result;
}

// A child window in a host window, standing for the control panel's preview
// area.
class PreviewArea {
 public:
  PreviewArea(int width, int height)
      : host_(L"preview host"),
        area_(L"preview area", WS_CHILD | WS_VISIBLE, host_.hwnd(), RECT{0, 0, width, height}) {}
  std::wstring Arguments() const {
    return L"/p " + std::to_wstring(reinterpret_cast<LONG_PTR>(area_.hwnd()));
  }

 private:
  HelperWindow host_;
  HelperWindow area_;
};

std::string Narrow(const std::wstring& text) {
  return std::string(text.begin(), text.end());
}

TEST(StartupTest, UnknownModeLettersEndAtOnceWithoutAWindow) {
  for (const wchar_t* arguments : {L"/a 1234", L"s", L"-x", L"/"}) {
    SCOPED_TRACE(Narrow(arguments));
    ScrFolder folder;
    ScrProcess scr(folder.scr(), arguments);
    ASSERT_TRUE(scr.started());
    const Ending ending = WatchEnding(scr, 5s);
    EXPECT_TRUE(ending.ended);
    EXPECT_FALSE(ending.window_seen);
    EXPECT_FALSE(FileExists(folder.settings())) << "reading must not create the file";
  }
}

// Each mode's start, exactly as the guard test below makes it, keeps running
// when no other copy is open.
TEST(StartupTest, EveryModeRunsWhenNoOtherCopyIsOpen) {
  PreviewArea area(152, 112);
  for (const std::wstring& arguments :
       {std::wstring(L"/s"), std::wstring(L"/c"), std::wstring(), area.Arguments()}) {
    SCOPED_TRACE(Narrow(arguments));
    ScrFolder folder;
    ScrProcess scr(folder.scr(), arguments);
    ASSERT_TRUE(scr.started());
    EXPECT_FALSE(scr.WaitForExit(1500ms)) << "ended without another copy open";
  }
}

TEST(StartupTest, EveryModeEndsAtOnceWhileAnotherCopyIsOpen) {
  PreviewArea area(152, 112);
  for (const wchar_t* caption :
       {varominea::texts::kSaverCaption, varominea::texts::kDialogCaption}) {
    HelperWindow other(caption);
    for (const std::wstring& arguments :
         {std::wstring(L"/s"), std::wstring(L"/c"), std::wstring(), area.Arguments()}) {
      SCOPED_TRACE(Narrow(arguments));
      ScrFolder folder;
      ScrProcess scr(folder.scr(), arguments);
      ASSERT_TRUE(scr.started());
      const Ending ending = WatchEnding(scr, 5s);
      EXPECT_TRUE(ending.ended) << "ran beside another copy";
      EXPECT_FALSE(ending.window_seen);
      EXPECT_FALSE(FileExists(folder.settings()));
    }
  }
}

// Preview parents that cannot be used end the program quietly: a number
// beyond the signed 32-bit range, and an area whose size in twips does not
// fit 16 bits (at 15 twips per pixel, wider or taller than 2184 pixels).
TEST(StartupTest, PreviewParentsThatCannotBeUsedEndAtOnce) {
  PreviewArea widest(2184, 100);
  PreviewArea too_wide(2185, 100);
  PreviewArea too_tall(100, 2185);
  const struct {
    std::wstring arguments;
    bool runs;
  } cases[] = {
      {L"/p 99999999999", false},    {L"/p -99999999999", false},   {L"/p 1e30", false},
      {too_wide.Arguments(), false}, {too_tall.Arguments(), false}, {widest.Arguments(), true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Narrow(c.arguments));
    ScrFolder folder;
    ScrProcess scr(folder.scr(), c.arguments);
    ASSERT_TRUE(scr.started());
    if (c.runs) {
      EXPECT_FALSE(scr.WaitForExit(1500ms));
    } else {
      const Ending ending = WatchEnding(scr, 5s);
      EXPECT_TRUE(ending.ended);
      EXPECT_FALSE(ending.window_seen);
    }
  }
}

}  // namespace
