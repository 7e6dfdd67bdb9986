#include "startup/setting_text.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "startup/numbers.h"

namespace varominea {
namespace {

TEST(SettingTextTest, NumbersRoundDownAndMustFitSixteenBits) {
  const struct {
    const char* text;
    char separator;
    std::optional<std::int16_t> value;  // nullopt: the setting keeps its value
  } cases[] = {
      {"", '.', 0},
      {"1", '.', 1},
      {" 1", '.', 1},
      {"1 ", '.', 1},
      {"\t2", '.', 2},
      {"7", '.', 7},
      {"2.9", '.', 2},
      {"-0.5", '.', -1},
      {"-1", '.', -1},
      {"+3", '.', 3},
      {".5", '.', 0},
      {"1.", '.', 1},
      {"1e2", '.', 100},
      {"32767", '.', 32767},
      {"32767.99", '.', 32767},
      {"-32768", '.', -32768},
      {"32768", '.', std::nullopt},
      {"40000", '.', std::nullopt},
      {"-32768.5", '.', std::nullopt},
      {"1e400", '.', std::nullopt},
      {"abc", '.', std::nullopt},
      {"1abc", '.', std::nullopt},
      {"1 2", '.', std::nullopt},
      {"-", '.', std::nullopt},
      {".", '.', std::nullopt},
      {"1e", '.', std::nullopt},
      {"0x10", '.', std::nullopt},
      {" ", '.', std::nullopt},
      // The user's decimal separator.
      {"2,9", ',', 2},
      {"-0,5", ',', -1},
      {"2.9", ',', std::nullopt},
      {"2,9", '.', std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SettingFromText(c.text, c.separator), c.value)
        << '"' << c.text << "\" with '" << c.separator << "'";
  }
}

TEST(SettingTextTest, OnlyAPlainSeparatorCharacterIsTakenFromTheLocale) {
  EXPECT_EQ(DecimalSeparatorFrom(L","), ',');
  EXPECT_EQ(DecimalSeparatorFrom(L"."), '.');
  EXPECT_EQ(DecimalSeparatorFrom(L""), '.');
  EXPECT_EQ(DecimalSeparatorFrom(L"\u066B"), '.');  // Arabic decimal separator
  EXPECT_EQ(DecimalSeparatorFrom(L".."), '.');
  EXPECT_EQ(DecimalSeparatorFrom(L"-"), '.');
  EXPECT_EQ(DecimalSeparatorFrom(L"5"), '.');
  EXPECT_EQ(DecimalSeparatorFrom(L" "), '.');
}

TEST(NumbersTest, SignPaddedGivesABlankBeforeNonNegativeNumbers) {
  EXPECT_EQ(SignPadded(0), " 0");
  EXPECT_EQ(SignPadded(7), " 7");
  EXPECT_EQ(SignPadded(-3), "-3");
  EXPECT_EQ(SignPadded(32767), " 32767");
  EXPECT_EQ(SignPadded(-32768), "-32768");
}

}  // namespace
}  // namespace varominea
