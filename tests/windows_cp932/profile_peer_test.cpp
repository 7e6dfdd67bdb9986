// The settings file against the system's own profile functions, with the
// Japanese ANSI code page: each side reads what the other wrote.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/app_win.h"
#include "platform/profile.h"
#include "platform/profile_file_win.h"
#include "resources/texts.h"

namespace {

using varominea::texts::kKeyImageSize;
using varominea::texts::kKeyProcPattern;

std::string Encode932(const wchar_t* text) {
  const int size = WideCharToMultiByte(932, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(932, 0, text, -1, out.data(), size, nullptr, nullptr);
  out.resize(static_cast<std::size_t>(size > 0 ? size - 1 : 0));
  return out;
}

std::string SystemRead(const std::string& path, const std::string& section,
                       const std::string& key) {
  char buffer[256] = {};
  GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer, 256, path.c_str());
  return buffer;
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

TEST_F(ProfilePeerTest, TheKeyBytesAreTheKeysInTheJapaneseCodePage) {
  EXPECT_EQ(Encode932(varominea::texts::kKeyImageSizeText), kKeyImageSize);
  EXPECT_EQ(Encode932(varominea::texts::kKeyProcPatternText), kKeyProcPattern);
  EXPECT_EQ(platform::ToAnsi(varominea::texts::kKeyImageSizeText), kKeyImageSize);
  EXPECT_EQ(platform::ToAnsi(varominea::texts::kKeyProcPatternText), kKeyProcPattern);
}

TEST_F(ProfilePeerTest, TheSystemReadsWhatWeWrite) {
  const std::wstring file = NewFile();
  ASSERT_TRUE(platform::ReplaceFileContents(file, "; kept\r\n[Other]\r\nx=9\r\n"));
  ASSERT_TRUE(platform::WriteProfileString(file, "Section", kKeyImageSize, " 1"));
  ASSERT_TRUE(platform::WriteProfileString(file, "Section", kKeyProcPattern, "-3"));
  const std::string path = platform::ToAnsi(file);
  EXPECT_EQ(SystemRead(path, "Section", kKeyImageSize), "1");
  EXPECT_EQ(SystemRead(path, "SECTION", kKeyProcPattern), "-3");
  EXPECT_EQ(SystemRead(path, "Other", "x"), "9");
}

TEST_F(ProfilePeerTest, WeReadWhatTheSystemWrites) {
  const std::wstring file = NewFile();
  const std::string path = platform::ToAnsi(file);
  ASSERT_TRUE(WritePrivateProfileStringA("Section", kKeyImageSize, " 2", path.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringA("Section", kKeyProcPattern, " 1", path.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringA("Other", "x", "9", path.c_str()));
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());  // flush the cache
  const platform::FileBytes written = platform::ReadFileBytes(file);
  ASSERT_EQ(written.state, platform::FileState::Read);
  EXPECT_NE(written.bytes.find(kKeyImageSize), std::string::npos) << written.bytes;
  EXPECT_EQ(platform::GetProfileValue(written.bytes, "Section", kKeyImageSize), "2");
  EXPECT_EQ(platform::GetProfileValue(written.bytes, "section", kKeyProcPattern), "1");

  // Each side then changes one key, and both read both keys.
  ASSERT_TRUE(platform::WriteProfileString(file, "Section", kKeyImageSize, " 0"));
  EXPECT_EQ(SystemRead(path, "Section", kKeyImageSize), "0");
  EXPECT_EQ(SystemRead(path, "Section", kKeyProcPattern), "1");
  EXPECT_EQ(SystemRead(path, "Other", "x"), "9");
  Sleep(20);  // a new modification time, so the system's cache is not used
  ASSERT_TRUE(WritePrivateProfileStringA("Section", kKeyProcPattern, " 0", path.c_str()));
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
  EXPECT_EQ(platform::ReadProfileString(file, "Section", kKeyImageSize), "0");
  EXPECT_EQ(platform::ReadProfileString(file, "Section", kKeyProcPattern), "0");
}

// Files written by hand: both readers find the same value.
TEST_F(ProfilePeerTest, BothReadersAgreeOnHandWrittenFiles) {
  const std::string k = kKeyImageSize;
  const std::string files[] = {
      "[Section]\r\n" + k + "=1\r\n",
      "[Section]\n" + k + "=1\n",
      "[Section]\r\n" + k + "=1",
      "[section]\r\n" + k + "=7\r\n",
      "  [Section]  \r\n  " + k + "  =  2  \r\n",
      "\t[Section]\t\r\n\t" + k + "\t=\t3\t\r\n",
      "[Section]\r\n" + k + "=\"4\"\r\n",
      "[Section]\r\n" + k + "='5'\r\n",
      "[Section]\r\n" + k + "=\"6'\r\n",
      "[Section]\r\n" + k + "=\r\n",
      "[Section]\r\n" + k + "=1\r\n" + k + "=2\r\n",
      "[Other]\r\n" + k + "=1\r\n[Section]\r\n",
      "[Section]\r\n;" + k + "=1\r\n",
      "[Section]\r\n" + k + "=a=b\r\n",
      "[Section]\r\n" + k + "=" + std::string(300, '9') + "\r\n",
      "[Section]\r\n\x81\x41=1\r\n",
      "\xEF\xBB\xBF[Section]\r\nx=8\r\n",
  };
  for (const std::string& bytes : files) {
    const std::wstring file = NewFile();
    ASSERT_TRUE(platform::ReplaceFileContents(file, bytes));
    const std::string path = platform::ToAnsi(file);
    for (const std::string& key : {k, std::string("x"), std::string("\x81\x61")}) {
      EXPECT_EQ(platform::GetProfileValue(bytes, "Section", key), SystemRead(path, "Section", key))
          << testing::PrintToString(bytes) << " key " << testing::PrintToString(key);
    }
  }
}

}  // namespace
