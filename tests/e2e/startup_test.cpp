// Start-up of the real program: the single-instance guard and the command
// lines that end at once.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/support/program_win.h"
#include "windows/resources/texts.h"

namespace {

using namespace e2e;

std::string Narrow(const std::wstring& text) {
  return std::string(text.begin(), text.end());
}

// Starts the program and expects it to end within 5 s without ever showing a
// window or creating the settings file.
void ExpectEndsAtOnce(const std::wstring& arguments) {
  SCOPED_TRACE(Narrow(arguments));
  Started s(arguments);
  bool window_seen = false;
  EXPECT_TRUE(WaitUntil(
      [&] {
        window_seen = window_seen || FindProcessWindow(s.scr.pid(), nullptr);
        return !s.scr.running();
      },
      5s));
  EXPECT_FALSE(window_seen);
  EXPECT_FALSE(ReadBytes(s.folder.settings()));
}

// Every mode runs on when no other copy is open, and ends at once while a
// window with either caption exists.
TEST(StartupTest, EveryModeEndsAtOnceOnlyWhileAnotherCopyIsOpen) {
  PreviewArea area(2184, 100);
  const std::vector<std::wstring> modes = {L"/s", L"/c", L"", area.Arguments()};
  for (const std::wstring& arguments : modes) {
    SCOPED_TRACE(Narrow(arguments));
    Started s(arguments);
    EXPECT_FALSE(s.scr.WaitForExit(1500ms)) << "ended without another copy open";
  }
  for (const wchar_t* caption :
       {varominea::texts::kSaverCaption, varominea::texts::kDialogCaption}) {
    HelperWindow other(caption);
    for (const std::wstring& arguments : modes) ExpectEndsAtOnce(arguments);
  }
}

// Two copies started within a few milliseconds: only one of them opens its
// window, the other ends at once.
TEST(StartupTest, TwoCopiesStartedAtOnceOpenOneWindow) {
  for (const auto& [arguments, caption] : {std::pair{L"/c", varominea::texts::kDialogCaption},
                                           std::pair{L"/s", varominea::texts::kSaverCaption}}) {
    SCOPED_TRACE(Narrow(arguments));
    ScrFolder folder(" 1", "0");
    ScrProcess first(folder, arguments);
    ScrProcess second(folder, arguments);
    EXPECT_TRUE(WaitUntil([&] { return !first.running() || !second.running(); }, 5s))
        << "both copies kept running";
    ScrProcess& survivor = first.running() ? first : second;
    EXPECT_NE(WaitForWindow(survivor.pid(), caption), nullptr);
    EXPECT_TRUE(survivor.running());
  }
}

// While a copy that has no window yet holds the session's guard, the saver
// and the dialog end at once; a preview is not refused by it.
TEST(StartupTest, ACopyStartingElsewhereRefusesAllButThePreview) {
  const HANDLE guard = CreateMutexW(nullptr, TRUE, L"Local\\Varominea.SingleCopy");
  ASSERT_NE(guard, nullptr);
  for (const wchar_t* arguments : {L"/s", L"/c", L""}) ExpectEndsAtOnce(arguments);
  PreviewArea area(152, 112);
  Started preview(area.Arguments());
  EXPECT_FALSE(preview.scr.WaitForExit(1500ms)) << "the preview was refused";
  CloseHandle(guard);
}

// Unknown modes, parents beyond the signed 32-bit range, and parents that
// are no window.
TEST(StartupTest, UnusableCommandLinesEndAtOnce) {
  HWND stale = nullptr;
  {
    HelperWindow gone(L"gone");
    stale = gone.hwnd();
  }
  for (const std::wstring& arguments :
       {std::wstring(L"/a 1234"), std::wstring(L"s"), std::wstring(L"-x"),
        std::wstring(L"/p 99999999999"), std::wstring(L"/p -99999999999"), std::wstring(L"/p 1e30"),
        std::wstring(L"/p 0"), std::wstring(L"/p"), std::wstring(L"/p x"), std::wstring(L"/p 7"),
        L"/p " + std::to_wstring(reinterpret_cast<LONG_PTR>(stale))}) {
    ExpectEndsAtOnce(arguments);
  }
}

}  // namespace
