// Start-up of the real program: the single-instance guard and the command
// lines that end at once.
#include <gtest/gtest.h>

#include "resources/texts.h"
#include "tests/e2e/support.h"

namespace {

using namespace e2e;

TEST(StartupTest, UnknownModeLettersEndAtOnceWithoutAWindow) {
  for (const wchar_t* arguments : {L"/a 1234", L"s", L"-x"}) {
    ScrFolder folder;
    ScrProcess scr(folder.scr(), arguments);
    ASSERT_TRUE(scr.started());
    EXPECT_TRUE(scr.WaitForExit(5s)) << "still running after " << arguments;
    EXPECT_FALSE(FileExists(folder.settings())) << "reading must not create the file";
  }
}

TEST(StartupTest, EveryModeEndsAtOnceWhileAnotherCopyIsOpen) {
  for (const wchar_t* caption : {varominea::texts::kSaverCaption, varominea::texts::kDialogCaption}) {
    HelperWindow other(caption);
    for (const wchar_t* arguments : {L"/s", L"/c", L"", L"/p 1234"}) {
      ScrFolder folder;
      ScrProcess scr(folder.scr(), arguments);
      ASSERT_TRUE(scr.started());
      EXPECT_TRUE(scr.WaitForExit(5s)) << "mode " << arguments << " ran beside another copy";
    }
  }
}

}  // namespace
