#include "startup/command_line.h"

#include <gtest/gtest.h>

#include <optional>

namespace varominea {
namespace {

TEST(CommandLineTest, OnlyTheSecondCharacterChoosesTheMode) {
  const struct {
    const wchar_t* line;
    Mode mode;
    bool hides_cursor;
  } cases[] = {
      {L"/s", Mode::Saver, true},
      {L"-S", Mode::Saver, true},
      {L"xs", Mode::Saver, true},
      {L"/S extra", Mode::Saver, true},
      {L"", Mode::Saver, false},
      {L"s", Mode::Other, false},
      {L"/", Mode::Other, false},
      {L"/a 1234", Mode::Other, false},
      {L"/x", Mode::Other, false},
      {L"/c", Mode::Configure, false},
      {L"/c:1234", Mode::Configure, false},
      {L"-C 99", Mode::Configure, false},
      {L"/p 1234", Mode::Preview, false},
      {L"/P:1234", Mode::Preview, false},
      {L"s/", Mode::Other, false},
      {L"/ｓ", Mode::Other, false},  // full-width s
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ModeOf(c.line), c.mode) << "command line \"" << testing::PrintToString(c.line) << '"';
    EXPECT_EQ(HidesCursor(c.line), c.hides_cursor) << testing::PrintToString(c.line);
  }
}

TEST(CommandLineTest, PreviewParentIsReadFromTheFourthCharacter) {
  const struct {
    const wchar_t* line;
    std::optional<std::int32_t> parent;
  } cases[] = {
      {L"/p 1234", 1234},
      {L"/P:1234", 1234},
      {L"/p1234", 234},  // the third character is never read
      {L"/p", 0},
      {L"/p ", 0},
      {L"/p abc", 0},
      {L"/p 12abc", 12},
      // Blanks, tabs and line feeds are dropped anywhere; a carriage return
      // ends the number.
      {L"/p 1 2\t3\n4", 1234},
      {L"/p \t\n 56", 56},
      {L"/p 12\r34", 12},
      {L"/p - 7", -7},
      {L"/p +7", 7},
      {L"/p --7", 0},
      {L"/p 5-3", 5},
      // Fractions round half to even.
      {L"/p 2.5", 2},
      {L"/p 3.5", 4},
      {L"/p -2.5", -2},
      {L"/p 0.5", 0},
      {L"/p .7", 1},
      {L"/p 1.5.5", 2},
      // Exponents.
      {L"/p 1e3", 1000},
      {L"/p 1E+3", 1000},
      {L"/p 25e-1", 2},
      {L"/p 1d2", 100},
      {L"/p 12e", 12},
      {L"/p 12e+", 12},
      {L"/p 1e1e1", 10},
      {L"/p e5", 0},
      {L"/p 1e-999", 0},
      // Only plain digits: no radix prefixes, no full-width digits.
      {L"/p 0x10", 0},
      {L"/p &H10", 0},
      {L"/p １２", 0},
      {L"/p 12ア3", 12},
      // The signed 32-bit range, after rounding.
      {L"/p 2147483647", 2147483647},
      {L"/p 2147483647.4", 2147483647},
      {L"/p -2147483648", -2147483647 - 1},
      {L"/p -2147483648.5", -2147483647 - 1},
      {L"/p 2147483647.5", std::nullopt},
      {L"/p 2147483648", std::nullopt},
      {L"/p -2147483649", std::nullopt},
      {L"/p 99999999999", std::nullopt},
      {L"/p 1e999", std::nullopt},
      {L"/p 00000000000000000000000000000000000000000000000012", 12},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PreviewParent(c.line), c.parent) << testing::PrintToString(std::wstring(c.line));
  }
}

}  // namespace
}  // namespace varominea
