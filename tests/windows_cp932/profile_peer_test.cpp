// The settings file against the system's own profile functions, with the
// Japanese ANSI code page: each side reads what the other wrote.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/profile_file_win.h"
#include "windows/resources/texts.h"
#include "windows/settings/file_replace_win.h"
#include "windows/settings/profile.h"

namespace {

using test::ReadProfileValue;
using test::WriteProfileValue;
using varominea::texts::kKeyImageSize;
using varominea::texts::kKeyProcPattern;

// A path as the system's ANSI functions take it.
std::string Ansi(std::wstring_view text) {
  const int size = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  if (size > 0) {
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
  }
  return out;
}

std::string SystemRead(const std::string& path, const std::string& section,
                       const std::string& key) {
  char buffer[256] = {};
  GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer, 256, path.c_str());
  return buffer;
}

void SystemWrite(const std::string& path, const char* section, const char* key, const char* value) {
  ASSERT_TRUE(WritePrivateProfileStringA(section, key, value, path.c_str()));
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());  // flush the cache
}

// A UTF-16LE file: byte-order mark, then the text.
std::string Utf16File(std::wstring_view text) {
  std::string bytes = "\xFF\xFE";
  for (const wchar_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

class ProfilePeerTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(GetACP(), 932u) << "run with LANG=ja_JP.UTF-8";
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    folder_ = std::wstring(temp) + L"varominea-peer-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder_.c_str(), nullptr);
  }
  void TearDown() override {
    for (const std::wstring& file : created_) DeleteFileW(file.c_str());
    RemoveDirectoryW(folder_.c_str());
  }
  // A new file name in the folder (the system caches profiles by name).
  std::wstring NewFile() {
    created_.push_back(folder_ + L"\\ヴァロミネア" + std::to_wstring(created_.size()) + L".ini");
    return created_.back();
  }

  std::wstring folder_;
  std::vector<std::wstring> created_;
};

// The key bytes are the key texts in code page 932, and each side reads both
// keys after the other wrote them.
TEST_F(ProfilePeerTest, EachSideReadsBothKeysTheOtherWrote) {
  for (const auto& [text, bytes] : {std::pair{varominea::texts::kKeyImageSizeText, kKeyImageSize},
                                    {varominea::texts::kKeyProcPatternText, kKeyProcPattern}}) {
    char encoded[64] = {};
    WideCharToMultiByte(932, 0, text, -1, encoded, sizeof encoded, nullptr, nullptr);
    EXPECT_EQ(std::string(encoded), bytes);
  }
  const std::wstring file = NewFile();
  const std::string path = Ansi(file);
  SystemWrite(path, "Section", kKeyImageSize, " 2");
  SystemWrite(path, "Section", kKeyProcPattern, " 1");
  SystemWrite(path, "Other", "x", "9");
  const varominea::profile::FileBytes written = varominea::profile::ReadFileBytes(file);
  ASSERT_EQ(written.state, varominea::profile::FileState::Read);
  EXPECT_EQ(varominea::profile::GetProfileValue(written.bytes, "Section", kKeyImageSize), "2");
  EXPECT_EQ(varominea::profile::GetProfileValue(written.bytes, "section", kKeyProcPattern), "1");

  ASSERT_EQ(WriteProfileValue(file, "Section", kKeyImageSize, " 0"),
            varominea::profile::WriteResult::Stored);
  ASSERT_EQ(WriteProfileValue(file, "Section", kKeyProcPattern, "-3"),
            varominea::profile::WriteResult::Stored);
  EXPECT_EQ(SystemRead(path, "Section", kKeyImageSize), "0");
  EXPECT_EQ(SystemRead(path, "SECTION", kKeyProcPattern), "-3");
  EXPECT_EQ(SystemRead(path, "Other", "x"), "9");
  Sleep(20);  // a new modification time, so the system's cache is not used
  SystemWrite(path, "Section", kKeyProcPattern, " 0");
  EXPECT_EQ(ReadProfileValue(file, "Section", kKeyImageSize), "0");
  EXPECT_EQ(ReadProfileValue(file, "Section", kKeyProcPattern), "0");
}

// Files written by hand: both readers find the same value.
TEST_F(ProfilePeerTest, BothReadersAgreeOnHandWrittenFiles) {
  const std::string k = kKeyImageSize;
  const std::string files[] = {
      "[Section]\n" + k + "=1\n",
      "[Section]\r\n" + k + "=1",
      "  [section]  \r\n  " + k + "  =  2  \r\n",
      "\t[Section]\t\r\n\t" + k + "\t=\t3\t\r\n",
      "[Section]\r\n" + k + "=\"4\"\r\n",
      "[Section]\r\n" + k + "='5'\r\n",
      "[Section]\r\n" + k + "=\"6'\r\n",
      "[Section]\r\n" + k + "=1\r\n" + k + "=2\r\n",
      "[Other]\r\n" + k + "=1\r\n[Section]\r\n",
      "[Section]\r\n;" + k + "=1\r\n",
      "[Section]\r\n" + k + "=\r\n",
      "[Section]\r\n" + k + "=a=b\r\n",
      "[Section]\r\n" + k + "=" + std::string(300, '9') + "\r\n",
      "[Section]\r\n\x81\x41=1\r\n",
      "\xEF\xBB\xBF[Section]\r\nx=8\r\n",
      "[Section]\r" + k + "=1\rx=2\r",
      "[Section]\r\nx=3\r" + k + "=4\n[Other]\r" + k + "=5",
      "\xEF\xBB\xBF[Section]\rx=9",
      "\xEF\xBB\xBF[Section]\r\n" + std::string(reinterpret_cast<const char*>(u8"画像のｻｲｽﾞ")) +
          "=6\r\nx=\xE3\x81\x82\r\n",
      Utf16File(std::wstring(L"[section]\r\n") + varominea::texts::kKeyImageSizeText +
                L" = 6\r\nX=7"),
      Utf16File(std::wstring(L"[Section]\r") + varominea::texts::kKeyImageSizeText + L"=8\r"),
  };
  for (const std::string& bytes : files) {
    const std::wstring file = NewFile();
    ASSERT_EQ(varominea::profile::ReplaceFileContents(file, bytes),
              varominea::profile::WriteResult::Stored);
    const std::string path = Ansi(file);
    for (const std::string& key : {k, std::string("x"), std::string("\x81\x61")}) {
      EXPECT_EQ(ReadProfileValue(file, "Section", key), SystemRead(path, "Section", key))
          << testing::PrintToString(bytes) << " key " << testing::PrintToString(key);
    }
  }
}

// A UTF-16 file stays UTF-16 whichever side writes it, and each side reads
// what the other wrote there.
TEST_F(ProfilePeerTest, Utf16FilesStayUtf16ForBothSides) {
  using varominea::texts::kKeyImageSizeText;
  using varominea::texts::kKeyProcPatternText;
  const std::wstring file = NewFile();
  ASSERT_EQ(varominea::profile::ReplaceFileContents(
                file, Utf16File(std::wstring(L"[Section]\r\n") + kKeyImageSizeText + L"= 1\r\n")),
            varominea::profile::WriteResult::Stored);
  ASSERT_EQ(WriteProfileValue(file, "Section", kKeyImageSize, " 2"),
            varominea::profile::WriteResult::Stored);
  ASSERT_EQ(WriteProfileValue(file, "Section", kKeyProcPattern, " 0"),
            varominea::profile::WriteResult::Stored);
  EXPECT_EQ(varominea::profile::ReadFileBytes(file).bytes,
            Utf16File(std::wstring(L"[Section]\r\n") + kKeyImageSizeText + L"= 2\r\n" +
                      kKeyProcPatternText + L"= 0\r\n"));
  wchar_t value[256] = {};
  GetPrivateProfileStringW(L"Section", kKeyImageSizeText, L"", value, 256, file.c_str());
  EXPECT_STREQ(value, L"2");
  GetPrivateProfileStringW(L"Section", kKeyProcPatternText, L"", value, 256, file.c_str());
  EXPECT_STREQ(value, L"0");

  Sleep(20);  // a new modification time, so the system's cache is not used
  ASSERT_TRUE(WritePrivateProfileStringW(L"Section", kKeyProcPatternText, L"1", file.c_str()));
  WritePrivateProfileStringW(nullptr, nullptr, nullptr, file.c_str());
  EXPECT_EQ(ReadProfileValue(file, "Section", kKeyProcPattern), "1");
  EXPECT_EQ(ReadProfileValue(file, "Section", kKeyImageSize), "2");
  EXPECT_EQ(varominea::profile::EncodingOf(varominea::profile::ReadFileBytes(file).bytes),
            varominea::profile::ProfileEncoding::Utf16Le);
}

}  // namespace
