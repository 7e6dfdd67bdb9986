#include "platform/profile.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "resources/texts.h"

namespace platform {
namespace {

using varominea::texts::kKeyImageSize;
using varominea::texts::kKeyProcPattern;
using varominea::texts::kSection;
using namespace std::string_view_literals;

std::string Set(std::string_view file, std::string_view section, std::string_view key,
                std::string_view value) {
  const std::optional<std::string> out = SetProfileValue(file, section, key, value);
  EXPECT_TRUE(out.has_value()) << "refused " << key;
  return out.value_or(std::string(file));
}

std::string Line(std::string_view key, std::string_view value) {
  return std::string(key) + "=" + std::string(value) + "\r\n";
}

TEST(ProfileTest, SavingBothSettingsIntoNoFileGivesTheKnownLayout) {
  std::string file = Set("", kSection, kKeyImageSize, " 1");
  file = Set(file, kSection, kKeyProcPattern, " 0");
  EXPECT_EQ(file, "[Section]\r\n" + Line(kKeyImageSize, " 1") + Line(kKeyProcPattern, " 0"));
  EXPECT_EQ(GetProfileValue(file, kSection, kKeyImageSize), "1");
  EXPECT_EQ(GetProfileValue(file, kSection, kKeyProcPattern), "0");

  // Saving again changes the values in place.
  file = Set(file, kSection, kKeyImageSize, "-2");
  file = Set(file, kSection, kKeyProcPattern, " 1");
  EXPECT_EQ(file, "[Section]\r\n" + Line(kKeyImageSize, "-2") + Line(kKeyProcPattern, " 1"));
}

TEST(ProfileTest, EverythingElseIsKeptByteForByte) {
  const std::string before =
      "; written by hand\r\n"
      "[Other]\r\n" +
      Line(kKeyImageSize, "9") +
      "\r\n"
      "  [ section ]  \r\n"
      "zeta = a b c \r\n" +
      "  " + kKeyImageSize + "  =   5  \r\n" +
      "; about the next section\r\n"
      "\r\n"
      "[Last]\n"
      "x=1";
  const std::string after = Set(before, kSection, kKeyImageSize, " 2");
  std::string expected = before;
  expected.replace(expected.find("   5  "), 6, " 2");
  EXPECT_EQ(after, expected);

  // A new key goes after the section's last key, before the comment that
  // belongs to the next section.
  const std::string added = Set(after, kSection, kKeyProcPattern, " 1");
  expected.insert(expected.find("; about"), Line(kKeyProcPattern, " 1"));
  EXPECT_EQ(added, expected);
  EXPECT_EQ(GetProfileValue(added, kSection, kKeyImageSize), "2");
  EXPECT_EQ(GetProfileValue(added, "Other", kKeyImageSize), "9");
  EXPECT_EQ(GetProfileValue(added, "Last", "x"), "1");
  EXPECT_EQ(GetProfileValue(added, "section", "ZETA"), "a b c");
}

TEST(ProfileTest, ReadingFindsValuesInTheFormsOthersWrite) {
  const struct {
    std::string_view file;
    const char* section;
    const char* key;
    const char* value;
  } cases[] = {
      {"[Section]\r\nk=1\r\n", "Section", "k", "1"},
      {"[Section]\nk=1\n", "Section", "k", "1"},
      {"[Section]\nk=1", "Section", "k", "1"},
      {"[Section]\r\nk=1\r", "Section", "k", "1"},
      {"\xEF\xBB\xBF[Section]\r\nk=1\r\n", "Section", "k", "1"},
      {"[SECTION]\r\nK=1\r\n", "section", "k", "1"},
      {" \t[\tSection ] \r\n \tk \t= \t1 \t\r\n", "Section", "k", "1"},
      {"[Section]\r\nk=\"quoted \"\r\n", "Section", "k", "quoted "},
      {"[Section]\r\nk='1'\r\n", "Section", "k", "1"},
      {"[Section]\r\nk=\"1'\r\n", "Section", "k", "\"1'"},
      {"[Section]\r\nk=a=b\r\n", "Section", "k", "a=b"},
      {"[Section]\r\nk=\r\n", "Section", "k", ""},
      {"[Section] trailing\r\nk=1\r\n", "Section", "k", "1"},
      // The first key and the first section of a name count.
      {"[Section]\r\nk=1\r\nk=2\r\n", "Section", "k", "1"},
      {"[Section]\r\nj=1\r\n[Section]\r\nk=2\r\n", "Section", "k", ""},
      // Not keys: comments, keys of another section or of none.
      {"[Section]\r\n;k=1\r\n", "Section", "k", ""},
      {"k=1\r\n[Section]\r\n", "Section", "k", ""},
      {"[Other]\r\nk=1\r\n[Section]\r\n", "Section", "k", ""},
      {"[Section\r\nk=1\r\n", "Section", "k", ""},
      {"[Section]\r\nk\r\n", "Section", "k", ""},
      {"", "Section", "k", ""},
      // A NUL ends the value.
      {"[Section]\r\nk=12\0"
       "3\r\n"sv,
       "Section", "k", "12"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(GetProfileValue(c.file, c.section, c.key), c.value)
        << testing::PrintToString(std::string(c.file));
  }
}

TEST(ProfileTest, DoubleByteCharactersAreMatchedExactly) {
  // In Shift-JIS "\x81\x41" and "\x81\x61" are two different characters whose
  // trail bytes happen to be 'A' and 'a'.
  const std::string file = "[Section]\r\n\x81\x41=1\r\n";
  EXPECT_EQ(GetProfileValue(file, kSection, "\x81\x41"), "1");
  EXPECT_EQ(GetProfileValue(file, kSection, "\x81\x61"), "");
  EXPECT_EQ(Set(file, kSection, "\x81\x61", "2"), file + "\x81\x61=2\r\n");
  // Plain ASCII letters after a double-byte character still fold.
  EXPECT_EQ(GetProfileValue("[s]\r\n\x81\x41x=3\r\n", "S", "\x81\x41X"), "3");

  // ']' as a trail byte ("\x83\x5D") does not close a section name, nor
  // does '[' ("\x83\x5B") make a key look like a section.
  const std::string sections = "[\x83\x5D\x83\x5B]\r\nk=4\r\n";
  EXPECT_EQ(GetProfileValue(sections, "\x83\x5D\x83\x5B", "k"), "4");
  EXPECT_EQ(Set(sections, "\x83\x5D\x83\x5B", "k", "5"), "[\x83\x5D\x83\x5B]\r\nk=5\r\n");
  // A name may end in a trail byte that could also be a lead byte ("画").
  EXPECT_EQ(Set("", "\x89\xE6", "k", "6"), "[\x89\xE6]\r\nk=6\r\n");

  // Both settings' keys, in any case of the section name.
  const std::string settings =
      "[section]\r\n" + Line(kKeyProcPattern, "1") + Line(kKeyImageSize, "2");
  EXPECT_EQ(GetProfileValue(settings, kSection, kKeyImageSize), "2");
  EXPECT_EQ(GetProfileValue(settings, kSection, kKeyProcPattern), "1");
}

TEST(ProfileTest, LongValuesAndNamesAreCut) {
  const std::string long_value(300, '7');
  const std::string file = Set("", kSection, "k", long_value);
  EXPECT_EQ(file, "[Section]\r\n" + Line("k", long_value));  // written whole
  EXPECT_EQ(GetProfileValue(file, kSection, "k"), std::string(255, '7'));
  const std::string exact(255, '8');
  EXPECT_EQ(GetProfileValue(Set("", kSection, "k", exact), kSection, "k"), exact);
  // The cut never splits a double-byte character.
  const std::string split = std::string(254, 'a') + "\x82\xA0";
  EXPECT_EQ(GetProfileValue(Set("", kSection, "k", split), kSection, "k"), std::string(254, 'a'));

  // Names keep 127 characters on writing, a double-byte character being one.
  const std::string key(200, 'k');
  const std::string written = Set("", std::string(130, 's'), key, "1");
  EXPECT_EQ(written, "[" + std::string(127, 's') + "]\r\n" + Line(std::string(127, 'k'), "1"));
  EXPECT_EQ(GetProfileValue(written, std::string(127, 's'), std::string(127, 'k')), "1");
  std::string wide_key;
  for (int i = 0; i < 130; ++i) wide_key += "\x82\xA0";
  const std::string wide = Set("", kSection, wide_key, "1");
  EXPECT_EQ(wide, "[Section]\r\n" + Line(wide_key.substr(0, 254), "1"));
}

TEST(ProfileTest, WritingKeepsTheFileShape) {
  const struct {
    const char* before;
    const char* after;
  } cases[] = {
      {"", "[Section]\r\nk=1\r\n"},
      {"[Section]\r\nk=0", "[Section]\r\nk=1"},
      {"[Section]\r\nk=0\r", "[Section]\r\nk=1\r"},
      {"[Section]\r\nj=0", "[Section]\r\nj=0\r\nk=1\r\n"},
      {"[Section]\r\nj=0\r", "[Section]\r\nj=0\r\nk=1\r\n"},
      {"[Section]", "[Section]\r\nk=1\r\n"},
      {"[Section]\nj=0\n\n[B]\n", "[Section]\nj=0\nk=1\r\n\n[B]\n"},
      {"[Section]\nk = 0 \n", "[Section]\nk =1\n"},
      {"[A]\r\nk=0", "[A]\r\nk=0\r\n[Section]\r\nk=1\r\n"},
      {"[A]\r\nk=0\r\n", "[A]\r\nk=0\r\n[Section]\r\nk=1\r\n"},
      {"[A]\r\nk=0\r", "[A]\r\nk=0\r\n[Section]\r\nk=1\r\n"},
      {"\xEF\xBB\xBF", "\xEF\xBB\xBF[Section]\r\nk=1\r\n"},
      {"\xEF\xBB\xBF[section]\r\nK=0\r\n", "\xEF\xBB\xBF[section]\r\nK=1\r\n"},
      {"[Section]\r\nk=0\r\nk=0\r\n", "[Section]\r\nk=1\r\nk=0\r\n"},
      {"[Section]\r\n[Section]\r\nk=0\r\n", "[Section]\r\nk=1\r\n[Section]\r\nk=0\r\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Set(c.before, "Section", "k", "1"), c.after) << testing::PrintToString(c.before);
  }
}

TEST(ProfileTest, NamesAndValuesThatWouldNotReadBackAreRefused) {
  const struct {
    const char* section;
    const char* key;
    const char* value;
  } refused[] = {
      {"", "k", "1"},
      {"Section", "", "1"},
      {" ", "k", "1"},
      {"Section", " \t", "1"},
      {"a]b", "k", "1"},
      {"Section", "a=b", "1"},
      {"Section", "[k", "1"},
      {"Section", ";k", "1"},
      {"Sec\ntion", "k", "1"},
      {"Section", "k\rx", "1"},
      {"Section", "k", "1\r\nx=2"},
      {"Section", "k", "\n"},
      {"Sectio\xE6", "k", "1"},
  };
  for (const auto& r : refused) {
    EXPECT_EQ(SetProfileValue("[Section]\r\n", r.section, r.key, r.value), std::nullopt)
        << testing::PrintToString(r.section) << ' ' << testing::PrintToString(r.key) << ' '
        << testing::PrintToString(r.value);
  }
  // Blanks around names are dropped; text after a NUL is not written.
  EXPECT_EQ(SetProfileValue("", " Section ", " k ", std::string("1\0x", 3)),
            "[Section]\r\nk=1\r\n");
}

TEST(ProfileTest, GarbageNeverBreaksReadingOrWriting) {
  std::mt19937 random(20240611);
  const std::string alphabet = "[]=;kK \t\r\n\"'\x81\x83\x5B\x5D\xEF\xBB\xBF";
  for (int round = 0; round < 2000; ++round) {
    std::string file(random() % 64, '\0');
    for (char& c : file) {
      c = (round % 2) ? static_cast<char>(random()) : alphabet[random() % alphabet.size()];
    }
    const std::string value = std::to_string(round);
    const std::optional<std::string> written = SetProfileValue(file, "Section", "k", value);
    ASSERT_TRUE(written.has_value());
    EXPECT_EQ(GetProfileValue(*written, "Section", "k"), value) << testing::PrintToString(file);
    EXPECT_EQ(SetProfileValue(*written, "Section", "k", value), written);
  }
}

}  // namespace
}  // namespace platform
