// The settings file's byte-exact profile reader and writer, what a save
// writes, and how long a locked file is waited for.
#include "windows/settings/profile.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "windows/resources/texts.h"
#include "windows/settings/lock_wait.h"
#include "windows/settings/settings_save.h"
#include "windows/settings/temp_name.h"

namespace varominea::profile {
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

// The two setting keys in UTF-16, as a converter for UTF-16 files would give
// them; everything else as ASCII.
constexpr std::u16string_view kImageSize16 = u"画像のｻｲｽﾞ";
constexpr std::u16string_view kProcPattern16 = u"処理ﾊﾟﾀｰﾝ";
std::optional<std::u16string> KeysToUtf16(std::string_view text) {
  if (text == kKeyImageSize) return std::u16string(kImageSize16);
  if (text == kKeyProcPattern) return std::u16string(kProcPattern16);
  return WidenAscii(text);
}
std::optional<std::string> KeysFromUtf16(std::u16string_view text) {
  if (text == kImageSize16) return kKeyImageSize;
  if (text == kProcPattern16) return kKeyProcPattern;
  return NarrowAscii(text);
}
constexpr TextConversion kKeys{&KeysToUtf16, &KeysFromUtf16};

// A UTF-16LE file: byte-order mark, then the code units.
std::string Utf16File(std::u16string_view text) {
  std::string bytes = "\xFF\xFE";
  for (const char16_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

// The two setting keys in UTF-8.
const std::string kImageSize8 = reinterpret_cast<const char*>(u8"画像のｻｲｽﾞ");
const std::string kProcPattern8 = reinterpret_cast<const char*>(u8"処理ﾊﾟﾀｰﾝ");

// A settings file from ASCII text in which '@' stands for the image size key
// and '#' for the pattern key, in Shift-JIS, in UTF-8 or in UTF-16LE (each
// of the last two after its byte-order mark).
std::string SettingsFile(ProfileEncoding encoding, std::string_view pattern) {
  std::string shift_jis, utf8 = "\xEF\xBB\xBF";
  std::u16string wide;
  for (const char c : pattern) {
    shift_jis += c == '@' ? kKeyImageSize : c == '#' ? kKeyProcPattern : std::string(1, c);
    utf8 += c == '@' ? kImageSize8 : c == '#' ? kProcPattern8 : std::string(1, c);
    wide += c == '@' ? kImageSize16 : c == '#' ? kProcPattern16 : std::u16string(1, char16_t(c));
  }
  return encoding == ProfileEncoding::Utf16Le ? Utf16File(wide)
         : encoding == ProfileEncoding::Utf8  ? utf8
                                              : shift_jis;
}

TEST(ProfileTest, BothSettingsRoundTripInTheKnownLayout) {
  std::string file = Set("", kSection, kKeyImageSize, " 1");
  file = Set(file, kSection, kKeyProcPattern, " 0");
  EXPECT_EQ(file, "[Section]\r\n" + Line(kKeyImageSize, " 1") + Line(kKeyProcPattern, " 0"));
  EXPECT_EQ(GetProfileValue(file, kSection, kKeyImageSize), "1");
  EXPECT_EQ(GetProfileValue(file, kSection, kKeyProcPattern), "0");
  file = Set(file, kSection, kKeyImageSize, "-2");
  file = Set(file, kSection, kKeyProcPattern, " 1");
  EXPECT_EQ(file, "[Section]\r\n" + Line(kKeyImageSize, "-2") + Line(kKeyProcPattern, " 1"));
}

// Files that editors save: any of the three encodings, any line end. Both
// settings are found, and a save changes the values only, in the file's
// encoding and with its line ends.
TEST(ProfileTest, BothSettingsSurviveEditorsEncodingsAndLineEnds) {
  using enum ProfileEncoding;
  for (const ProfileEncoding encoding : {ShiftJis, Utf8, Utf16Le}) {
    for (const std::string e : {"\r\n", "\n", "\r"}) {
      SCOPED_TRACE(testing::PrintToString(e) + " encoding " +
                   std::to_string(static_cast<int>(encoding)));
      const auto file = [&](const std::string& text) { return SettingsFile(encoding, text); };
      const std::string both = file("[Section]" + e + "@= 2" + e + "#=1" + e);
      EXPECT_EQ(GetProfileValue(both, kSection, kKeyImageSize, kKeys), "2");
      EXPECT_EQ(GetProfileValue(both, kSection, kKeyProcPattern, kKeys), "1");
      EXPECT_EQ(SetProfileValue(both, kSection, kKeyImageSize, " 0", kKeys),
                file("[Section]" + e + "@= 0" + e + "#=1" + e));
      EXPECT_EQ(
          SetProfileValue(file("[Section]" + e + "@= 2"), kSection, kKeyProcPattern, " 1", kKeys),
          file("[Section]" + e + "@= 2" + e + "#= 1" + e));
      EXPECT_EQ(SetProfileValue(file("; by hand" + e), kSection, kKeyImageSize, " 1", kKeys),
                file("; by hand" + e + "[Section]" + e + "@= 1" + e));
    }
    // Mixed line ends: each line keeps its own.
    const std::string mixed = SettingsFile(encoding, "[Section]\r\n@= 2\r#= 1\n");
    EXPECT_EQ(GetProfileValue(mixed, kSection, kKeyImageSize, kKeys), "2");
    EXPECT_EQ(GetProfileValue(mixed, kSection, kKeyProcPattern, kKeys), "1");
    EXPECT_EQ(SetProfileValue(mixed, kSection, kKeyProcPattern, " 0", kKeys),
              SettingsFile(encoding, "[Section]\r\n@= 2\r#= 0\n"));
    // A new file (the mark alone) stays in its encoding.
    if (encoding != ShiftJis) {
      EXPECT_EQ(SetProfileValue(SettingsFile(encoding, ""), kSection, kKeyImageSize, " 1", kKeys),
                SettingsFile(encoding, "[Section]\r\n@= 1\r\n"));
    }
  }
  // In a UTF-8 file everything else stays byte for byte: text in any script
  // and bytes that are no UTF-8 at all.
  const std::string others = reinterpret_cast<const char*>(u8"; 設定 \U0001F600 \u00E9") +
                             std::string("\xFF\xC0\xAF\xED\xA0\x80\xF0\x9F\r\n");
  const std::string before = SettingsFile(Utf8, "[Section]\r\n") + others +
                             SettingsFile(Utf8, "@=5\r\n").substr(3) + "x=\xE9\r\n";
  EXPECT_EQ(GetProfileValue(before, kSection, kKeyImageSize, kKeys), "5");
  std::string after = before;
  after.replace(after.find("=5"), 2, "= 1");
  EXPECT_EQ(SetProfileValue(before, kSection, kKeyImageSize, " 1", kKeys), after);
}

// UTF-16 files follow the Shift-JIS rules per code unit; what the conversion
// cannot give exactly is neither read nor written.
TEST(ProfileTest, Utf16FilesAreReadAndWrittenExactly) {
  const std::string file = Utf16File(u"[sectION]\r\nK = \"1\" \r\nｶ=2\r\nv=ｶ\r\n");
  EXPECT_EQ(GetProfileValue(file, "Section", "k"), "1");
  EXPECT_EQ(GetProfileValue(file, "Section", "\xB6"), "") << "not converted";
  EXPECT_EQ(GetProfileValue(file, "Section", "v"), "") << "not converted";
  EXPECT_EQ(SetProfileValue(file, "Section", "k", "\x82\xA0"), std::nullopt);
  EXPECT_EQ(SetProfileValue(file, "Section", "\xB6", "3"), std::nullopt);
  EXPECT_EQ(SetProfileValue(file, "Section", "k", "3"),
            Utf16File(u"[sectION]\r\nK =3\r\nｶ=2\r\nv=ｶ\r\n"));
  // An odd last byte is no code unit and stays as it was.
  EXPECT_EQ(SetProfileValue(Utf16File(u"[Section]\r\nk=0") + "\x41", "Section", "k", "1"),
            Utf16File(u"[Section]\r\nk=1") + "\x41");
  EXPECT_EQ(EncodingOf(file), ProfileEncoding::Utf16Le);
  // Big-endian UTF-16 is refused rather than given Shift-JIS lines.
  const std::string big_endian("\xFE\xFF\0[\0S\0]\0\r\0\n\0k\0=\0\x31", 18);
  EXPECT_EQ(GetProfileValue(big_endian, "S", "k"), "");
  EXPECT_EQ(SetProfileValue(big_endian, "S", "k", "2"), std::nullopt);
  EXPECT_EQ(EncodingOf("\xFF"), ProfileEncoding::ShiftJis);
}

TEST(ProfileTest, EverythingElseIsKeptByteForByte) {
  const std::string before = "; written by hand\r\n[Other]\r\n" + Line(kKeyImageSize, "9") +
                             "\r\n  [ section ]  \r\nzeta = a b c \r\n  " + kKeyImageSize +
                             "  =   5  \r\n; about the next section\r\n\r\n[Last]\nx=1";
  const std::string after = Set(before, kSection, kKeyImageSize, " 2");
  std::string expected = before;
  expected.replace(expected.find("   5  "), 6, " 2");
  EXPECT_EQ(after, expected);
  // A new key goes after the section's last key, before the next one's comment.
  const std::string added = Set(after, kSection, kKeyProcPattern, " 1");
  expected.insert(expected.find("; about"), Line(kKeyProcPattern, " 1"));
  EXPECT_EQ(added, expected);
  EXPECT_EQ(GetProfileValue(added, kSection, kKeyImageSize), "2");
  EXPECT_EQ(GetProfileValue(added, "Other", kKeyImageSize), "9");
  EXPECT_EQ(GetProfileValue(added, "Last", "x"), "1");
  EXPECT_EQ(GetProfileValue(added, "section", "ZETA"), "a b c");
}

// What key "k" of section "Section" reads as, in the forms other writers use.
TEST(ProfileTest, ReadingFindsValuesInTheFormsOthersWrite) {
  const struct {
    std::string_view file;
    const char* value;
  } cases[] = {
      {"[Section]\r\nk=1\r\n", "1"},
      {"[Section]\nk=1\n", "1"},
      {"[Section]\nk=1", "1"},
      {"[Section]\r\nk=1\r", "1"},
      {"\xEF\xBB\xBF[Section]\r\nk=1\r\n", "1"},
      {"[SECTION]\r\nK=1\r\n", "1"},
      {" \t[\tSection ] \r\n \tk \t= \t1 \t\r\n", "1"},
      {"[Section]\r\nk=\"quoted \"\r\n", "quoted "},
      {"[Section]\r\nk='1'\r\n", "1"},
      {"[Section]\r\nk=\"1'\r\n", "\"1'"},
      {"[Section]\r\nk=a=b\r\n", "a=b"},
      {"[Section] trailing\r\nk=1\r\n", "1"},
      {"[Section]\r\nk=1\r\nk=2\r\n", "1"},  // the first key and section count
      {"[Section]\r\nj=1\r\n[Section]\r\nk=2\r\n", ""},
      {"[Section]\r\n;k=1\r\n", ""},
      {"k=1\r\n[Section]\r\n", ""},
      {"[Other]\r\nk=1\r\n[Section]\r\n", ""},
      {"[Section\r\nk=1\r\n", ""},
      {"[Section]\r\nk\r\n", ""},
      {"[Section]\r\nk=12\0"
       "3\r\n"sv,
       "12"},
      // A lone CR ends a line as LF and CR LF do.
      {"[Section]\rk=1\r", "1"},
      {"[Section]\rj=0\rk=1", "1"},
      {"[Section]\r\nj=0\rk=1\n", "1"},
      {"[Section]\r;x\rk=1\r", "1"},
      {"[Section]\rk=1\r[Other]\rk=2\r", "1"},
      {"[Other]\rk=1\r[Section]\r", ""},
      {"\xEF\xBB\xBF[Section]\rk=1", "1"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(GetProfileValue(c.file, "Section", "k"), c.value) << testing::PrintToString(c.file);
  }
}

// Shift-JIS trail bytes are never case-folded or taken for brackets.
TEST(ProfileTest, DoubleByteCharactersAreMatchedExactly) {
  const std::string file = "[Section]\r\n\x81\x41=1\r\n";
  EXPECT_EQ(GetProfileValue(file, kSection, "\x81\x41"), "1");
  EXPECT_EQ(GetProfileValue(file, kSection, "\x81\x61"), "");
  EXPECT_EQ(Set(file, kSection, "\x81\x61", "2"), file + "\x81\x61=2\r\n");
  EXPECT_EQ(GetProfileValue("[s]\r\n\x81\x41x=3\r\n", "S", "\x81\x41X"), "3");
  const std::string sections = "[\x83\x5D\x83\x5B]\r\nk=4\r\n";
  EXPECT_EQ(GetProfileValue(sections, "\x83\x5D\x83\x5B", "k"), "4");
  EXPECT_EQ(Set(sections, "\x83\x5D\x83\x5B", "k", "5"), "[\x83\x5D\x83\x5B]\r\nk=5\r\n");
  EXPECT_EQ(Set("", "\x89\xE6", "k", "6"), "[\x89\xE6]\r\nk=6\r\n");  // ends in a lead byte
  const std::string settings =
      "[section]\r\n" + Line(kKeyProcPattern, "1") + Line(kKeyImageSize, "2");
  EXPECT_EQ(GetProfileValue(settings, kSection, kKeyImageSize), "2");
  EXPECT_EQ(GetProfileValue(settings, kSection, kKeyProcPattern), "1");
}

// Values are written whole and read to 255 bytes; names are written to 127
// characters; neither cut splits a double-byte character.
TEST(ProfileTest, LongValuesAndNamesAreCut) {
  const std::string long_value(300, '7');
  const std::string file = Set("", kSection, "k", long_value);
  EXPECT_EQ(file, "[Section]\r\n" + Line("k", long_value));
  EXPECT_EQ(GetProfileValue(file, kSection, "k"), std::string(255, '7'));
  const std::string split = std::string(254, 'a') + "\x82\xA0";
  EXPECT_EQ(GetProfileValue(Set("", kSection, "k", split), kSection, "k"), std::string(254, 'a'));
  const std::string written = Set("", std::string(130, 's'), std::string(200, 'k'), "1");
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
      {"[Section]\nj=0\n\n[B]\n", "[Section]\nj=0\nk=1\n\n[B]\n"},
      {"[Section]\nk = 0 \n", "[Section]\nk =1\n"},
      {"[A]\r\nk=0", "[A]\r\nk=0\r\n[Section]\r\nk=1\r\n"},
      {"[A]\r\nk=0\r\n", "[A]\r\nk=0\r\n[Section]\r\nk=1\r\n"},
      {"[A]\r\nk=0\r", "[A]\r\nk=0\r\n[Section]\r\nk=1\r\n"},
      {"\xEF\xBB\xBF", "\xEF\xBB\xBF[Section]\r\nk=1\r\n"},
      {"\xEF\xBB\xBF[section]\r\nK=0\r\n", "\xEF\xBB\xBF[section]\r\nK=1\r\n"},
      {"[Section]\r\nk=0\r\nk=0\r\n", "[Section]\r\nk=1\r\nk=0\r\n"},
      {"[Section]\r\n[Section]\r\nk=0\r\n", "[Section]\r\nk=1\r\n[Section]\r\nk=0\r\n"},
      // New lines end like the file's first line.
      {"[Section]\rk=0\r", "[Section]\rk=1\r"},
      {"[Section]\rj=0", "[Section]\rj=0\rk=1\r"},
      {"[Section]\rj=0\r[B]\r", "[Section]\rj=0\rk=1\r[B]\r"},
      {"[A]\rk=0\r", "[A]\rk=0\r[Section]\rk=1\r"},
      {"[A]\nk=0", "[A]\nk=0\n[Section]\nk=1\n"},
      {"[Section]\r\nj=0\rm=0\n[B]\r", "[Section]\r\nj=0\rm=0\nk=1\r\n[B]\r"},
      {"\xEF\xBB\xBF[Section]\rj=0", "\xEF\xBB\xBF[Section]\rj=0\rk=1\r"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Set(c.before, "Section", "k", "1"), c.after) << testing::PrintToString(c.before);
  }
  // Blanks around names are dropped; text after a NUL is not written.
  EXPECT_EQ(SetProfileValue("", " Section ", " k ", "1\0x"sv), "[Section]\r\nk=1\r\n");
}

TEST(ProfileTest, NamesAndValuesThatWouldNotReadBackAreRefused) {
  const std::string_view file = "[Section]\r\n";
  for (const char* section : {"", " ", "a]b", "Sec\ntion", "Sectio\xE6"}) {
    EXPECT_EQ(SetProfileValue(file, section, "k", "1"), std::nullopt) << section;
  }
  for (const char* key : {"", " \t", "a=b", "[k", ";k", "k\rx"}) {
    EXPECT_EQ(SetProfileValue(file, "Section", key, "1"), std::nullopt) << key;
  }
  for (const char* value : {"\n", "1\r\nx=2"}) {
    EXPECT_EQ(SetProfileValue(file, "Section", "k", value), std::nullopt) << value;
  }
}

// A save writes what the user changed, and writes back what they left alone,
// in the file's number form (an out-of-range 7 included), unless the file
// now holds another value that someone stored since the dialog opened. A
// setting the file could not give is written only when the user picked it,
// never as the default it holds meanwhile.
TEST(SaveTest, ChangedKnownOrPickedSettingsAreWritten) {
  using Entries = std::vector<Entry>;
  const struct {
    const char* file_now;  // '@' the size key, '#' the pattern key
    std::int16_t size, opened_size, pattern, opened_pattern;
    bool known, size_picked, pattern_picked;
    Entries expected;
  } cases[] = {
      {"[Section]\r\n@=7\r\n#=0",
       7,
       7,
       0,
       0,
       true,
       false,
       false,
       {{kKeyImageSize, " 7"}, {kKeyProcPattern, " 0"}}},
      {"[Section]\r\n@= 1\r\n#=-1",
       2,
       1,
       -1,
       -1,
       true,
       true,
       false,
       {{kKeyImageSize, " 2"}, {kKeyProcPattern, "-1"}}},
      {"", 0, 0, 0, 0, false, false, false, {}},
      {"", 0, 0, 1, 0, false, false, true, {{kKeyProcPattern, " 1"}}},
      {"", 2, 0, 0, 0, false, true, true, {{kKeyImageSize, " 2"}, {kKeyProcPattern, " 0"}}},
      // Another dialog stored 800 * 600 after this one opened on 640 * 480.
      {"[Section]\r\n@= 1\r\n#= 1", 2, 2, 0, 1, true, false, true, {{kKeyProcPattern, " 0"}}},
      {"[Section]\r\n@= 1\r\n#=1.5", 2, 2, 1, 1, true, true, false, {{kKeyProcPattern, " 1"}}},
      {"[Other]\r\nx=1",
       1,
       1,
       0,
       0,
       true,
       false,
       false,
       {{kKeyImageSize, " 1"}, {kKeyProcPattern, " 0"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file_now);
    const Entries entries =
        EntriesToSave(SettingsFile(ProfileEncoding::ShiftJis, c.file_now),
                      {{kKeyImageSize, c.size, c.opened_size, c.known, c.size_picked},
                       {kKeyProcPattern, c.pattern, c.opened_pattern, c.known, c.pattern_picked}},
                      '.', kAsciiOnly);
    ASSERT_EQ(entries.size(), c.expected.size()) << c.size << "/" << c.pattern;
    for (std::size_t i = 0; i < entries.size(); ++i) {
      EXPECT_EQ(entries[i].key, c.expected[i].key);
      EXPECT_EQ(entries[i].value, c.expected[i].value);
    }
  }
}

// Attempts on a locked file, run against a clock that each pause moves on:
// a hold that ends soon is noticed within a few milliseconds, attempts never
// come closer than 10 ms nor further apart than 100 ms, and the last one
// falls on the end of the wait, after which there is none.
TEST(LockWaitTest, RetriesComeQuicklyFirstAndEndWithTheWait) {
  for (const unsigned long long wait_ms : {kLockedFileWaitMs + 0ull, 1000ull, 25ull}) {
    SCOPED_TRACE(wait_ms);
    std::vector<unsigned> pauses;
    unsigned long long elapsed = 0;
    while (const std::optional<unsigned> pause =
               PauseBeforeRetry(static_cast<unsigned>(pauses.size() + 1), elapsed, wait_ms)) {
      ASSERT_GT(*pause, 0u);
      ASSERT_LE(*pause, 100u);
      pauses.push_back(*pause);
      elapsed += *pause;
      ASSERT_LT(pauses.size(), 1000u);
    }
    EXPECT_EQ(elapsed, wait_ms) << "the last attempt is at the end of the wait";
    EXPECT_EQ(pauses.front(), std::min<unsigned long long>(10, wait_ms));
    if (wait_ms >= 1000) {
      EXPECT_EQ(pauses[0] + pauses[1] + pauses[2], 70u) << "three tries in the first 70 ms";
      EXPECT_EQ(pauses[10], 100u);
    }
  }
  // A clock that jumps past the end (a busy machine) gets no more attempts.
  EXPECT_EQ(PauseBeforeRetry(3, 5000, 3000), std::nullopt);
}

// A writer's own temporary names give back its process id, whatever their
// numbers; names that only look alike belong to no one.
TEST(TempNameTest, OwnNamesTellTheirProcessAndLookalikesNone) {
  EXPECT_EQ(TempFileSuffix(0x1a2b, 0x3c4d5e6f, 0), L".1a2b-3c4d5e6f-0.tmp");
  for (const auto& [pid, tick, attempt] :
       {std::tuple{0u, 0u, 0u}, {0xffffffffu, 0xffffffffu, 0xffffffffu}, {0x80000000u, 1u, 31u}}) {
    EXPECT_EQ(TempFileOwner(L"v.ini" + TempFileSuffix(pid, tick, attempt), L"v.ini"), pid);
  }
  for (const wchar_t* name :
       {L"v.ini.1a2b-3c4d-0.tmp.bak", L"v.ini.1A2B-3c4d-0.tmp", L"v.ini.1a2b-3c4d.tmp",
        L"v.ini.1a2b-3c4d-0-1.tmp", L"v.ini.x1-1-0.tmp", L"v.ini.123456789-1-0.tmp",
        L"v.ini.-1-0.tmp", L"xv.ini.1-2-3.tmp", L"v.ini1-2-3.tmp", L"v.ini.1-2-.tmp"}) {
    EXPECT_EQ(TempFileOwner(name, L"v.ini"), std::nullopt) << testing::PrintToString(name);
  }
}

}  // namespace
}  // namespace varominea::profile
