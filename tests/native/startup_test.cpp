// The command line's mode letter and preview parent, and a setting's number.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

#include "core/numbers.h"
#include "core/setting_text.h"
#include "windows/startup/command_line.h"

namespace varominea {
namespace {

TEST(CommandLineTest, OnlyTheSecondCharacterChoosesTheMode) {
  const struct {
    const wchar_t* line;
    Mode mode;
    bool hides_cursor;
  } cases[] = {{L"/s", Mode::Saver, true},         {L"-S", Mode::Saver, true},
               {L"xs", Mode::Saver, true},         {L"/S extra", Mode::Saver, true},
               {L"", Mode::Saver, false},          {L"s", Mode::Other, false},
               {L"/", Mode::Other, false},         {L"/a 1234", Mode::Other, false},
               {L"/x", Mode::Other, false},        {L"s/", Mode::Other, false},
               {L"/ｓ", Mode::Other, false},       {L"/c", Mode::Configure, false},
               {L"-C 99", Mode::Configure, false}, {L"/c:1234", Mode::Configure, false},
               {L"/p 1234", Mode::Preview, false}, {L"/P:1234", Mode::Preview, false}};
  for (const auto& c : cases) {
    EXPECT_EQ(ModeOf(c.line), c.mode) << testing::PrintToString(c.line);
    EXPECT_EQ(HidesCursor(c.line), c.hides_cursor) << testing::PrintToString(c.line);
  }
}

// The program's name as the system hands it over: quoted (blanks inside kept
// to the closing quote, which may run straight into the arguments) or not
// (up to the first blank or tab).
TEST(CommandLineTest, ArgumentsFollowTheProgramsNameQuotedOrNot) {
  const struct {
    const wchar_t* whole;
    const wchar_t* arguments;
  } cases[] = {
      {LR"("C:\Program Files\My Saver\Varominea.scr" /s)", L"/s"},
      {LR"("C:\Program Files\Varominea.scr"/p 1234)", L"/p 1234"},
      {L"\"C:\\a b\\x.scr\"  \t /c:42 \t ", L"/c:42"},
      {LR"("C:\a b\x.scr")", L""},
      {LR"("C:\a b\unclosed /s)", L""},
      {LR"("" /s)", L"/s"},
      {LR"(C:\WINDOWS\VAROMI~1.SCR /p 99)", L"/p 99"},
      {LR"(C:\Program Files\x.scr /s)", LR"(Files\x.scr /s)"},
      {L"x.scr\t/S", L"/S"},
      {L"x.scr", L""},
      {L"x.scr   ", L""},
      {L"", L""},
      {L"   /s", L"/s"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ArgumentsOf(c.whole), c.arguments) << testing::PrintToString(std::wstring(c.whole));
  }
}

// The handle the preview branch uses for a command line: the 32-bit number,
// widened as the system widens handles.
std::optional<std::intptr_t> HandleOf(const wchar_t* line) {
  const std::optional<std::uint32_t> number = PreviewParent(line);
  if (!number) return std::nullopt;
  return PreviewHandleValue(*number);
}

// Read from the fourth character: blanks, tabs and line feeds are dropped, a
// carriage return ends the number, halves round to even.
TEST(CommandLineTest, PreviewParentIsReadFromTheFourthCharacter) {
  const struct {
    const wchar_t* line;
    std::intptr_t handle;
  } cases[] = {{L"/p 1234", 1234},  {L"/P:1234", 1234}, {L"/p1234", 234},  {L"/p", 0},
               {L"/p ", 0},         {L"/p abc", 0},     {L"/p 12abc", 12}, {L"/p 1 2\t3\n4", 1234},
               {L"/p \t\n 56", 56}, {L"/p 12\r34", 12}, {L"/p - 7", -7},   {L"/p +7", 7},
               {L"/p --7", 0},      {L"/p 5-3", 5},     {L"/p 2.5", 2},    {L"/p 3.5", 4},
               {L"/p -2.5", -2},    {L"/p 0.5", 0},     {L"/p .7", 1},     {L"/p 1.5.5", 2},
               {L"/p 1e3", 1000},   {L"/p 1E+3", 1000}, {L"/p 25e-1", 2},  {L"/p 1d2", 100},
               {L"/p 12e", 12},     {L"/p 12e+", 12},   {L"/p 1e1e1", 10}, {L"/p e5", 0},
               {L"/p 1e-999", 0},   {L"/p 0x10", 0},    {L"/p &H10", 0},   {L"/p １２", 0},
               {L"/p 12ア3", 12},   {L"/p -0.4", 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(HandleOf(c.line), c.handle) << testing::PrintToString(std::wstring(c.line));
  }
  EXPECT_EQ(HandleOf(L"/p 00000000000000000000000000000000000000000000000012"), 12);
}

// Every 32-bit handle is a parent: numbers with the top bit set are real
// handles on 64-bit Windows and widen with their sign; the signed form of the
// same 32 bits names the same handle; anything wider ends the program.
TEST(CommandLineTest, PreviewParentTakesEveryThirtyTwoBitHandle) {
  const struct {
    const wchar_t* line;
    std::optional<std::uint32_t> number;
    std::intptr_t handle;
  } cases[] = {
      {L"/p 0", 0u, 0},
      {L"/p 2147483647", 2147483647u, 2147483647},
      {L"/p 2147483647.5", 2147483648u, -2147483647 - 1},
      {L"/p 2147483648", 2147483648u, -2147483647 - 1},
      {L"/p 4294967295", 4294967295u, -1},
      {L"/p 4294967295.4", 4294967295u, -1},
      {L"/p 4294967294.5", 4294967294u, -2},
      {L"/p -1", 4294967295u, -1},
      {L"/p -2147483648", 2147483648u, -2147483647 - 1},
      {L"/p -2147483648.5", 2147483648u, -2147483647 - 1},
      {L"/p 4294967296", std::nullopt, 0},
      {L"/p 4294967295.5", std::nullopt, 0},
      {L"/p -2147483649", std::nullopt, 0},
      {L"/p 99999999999", std::nullopt, 0},
      {L"/p 1e999", std::nullopt, 0},
      {L"/p -1e999", std::nullopt, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.line)));
    EXPECT_EQ(PreviewParent(c.line), c.number);
    if (c.number) {
      EXPECT_EQ(HandleOf(c.line), c.handle);
    }
  }
}

// Rounded down, 16 bits, with the user's decimal separator; nullopt keeps the
// setting as it was.
TEST(SettingTextTest, NumbersRoundDownAndMustFitSixteenBits) {
  const struct {
    const char* text;
    char separator;
    std::int16_t value;
  } cases[] = {
      {"", '.', 0},    {"1", '.', 1},     {" 1", '.', 1},           {"1 ", '.', 1},
      {"\t2", '.', 2}, {"2.9", '.', 2},   {"-0.5", '.', -1},        {"-1", '.', -1},
      {"+3", '.', 3},  {".5", '.', 0},    {"1.", '.', 1},           {"1e2", '.', 100},
      {"2,9", ',', 2}, {"-0,5", ',', -1}, {"32767.99", '.', 32767}, {"-32768", '.', -32768}};
  for (const auto& c : cases) {
    EXPECT_EQ(SettingFromText(c.text, c.separator), c.value) << '"' << c.text << '"';
  }
  for (const char* kept : {"32768", "40000", "-32768.5", "1e400", "abc", "1abc", "1 2", "-", ".",
                           "1e", "0x10", " ", "2,9"}) {
    EXPECT_EQ(SettingFromText(kept, '.'), std::nullopt) << '"' << kept << '"';
  }
  EXPECT_EQ(SettingFromText("2.9", ','), std::nullopt);
  EXPECT_EQ(DecimalSeparatorFrom(L","), ',');
  for (const wchar_t* odd : {L".", L"", L"\u066B", L"..", L"-", L"5", L" "}) {
    EXPECT_EQ(DecimalSeparatorFrom(odd), '.') << testing::PrintToString(std::wstring(odd));
  }
  EXPECT_EQ(SignPadded(7) + SignPadded(-3) + SignPadded(-32768), " 7-3-32768");
}

}  // namespace
}  // namespace varominea
