#include "startup/command_line.h"

#include <gtest/gtest.h>

namespace varominea {
namespace {

TEST(CommandLineTest, OnlyTheSecondCharacterChoosesTheMode) {
  EXPECT_EQ(ModeOf(L"/s"), Mode::Saver);
  EXPECT_EQ(ModeOf(L"-S"), Mode::Saver);
  EXPECT_EQ(ModeOf(L"xs"), Mode::Saver);
  EXPECT_EQ(ModeOf(L""), Mode::Saver);
  EXPECT_EQ(ModeOf(L"s"), Mode::Other);
  EXPECT_EQ(ModeOf(L"/a 1234"), Mode::Other);
  EXPECT_EQ(ModeOf(L"/c:1234"), Mode::Configure);
  EXPECT_EQ(ModeOf(L"/p 1234"), Mode::Preview);
  EXPECT_TRUE(HidesCursor(L"/s"));
  EXPECT_FALSE(HidesCursor(L""));
}

TEST(CommandLineTest, PreviewParentIsReadFromTheFourthCharacter) {
  EXPECT_EQ(PreviewParent(L"/p 1234"), 1234);
  EXPECT_EQ(PreviewParent(L"/P:1234"), 1234);
  EXPECT_EQ(PreviewParent(L"/p1234"), 234);
  EXPECT_EQ(PreviewParent(L"/p"), 0);
  EXPECT_EQ(PreviewParent(L"/p 99999999999"), std::nullopt);
}

}  // namespace
}  // namespace varominea
