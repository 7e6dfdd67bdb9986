// The settings file on a real file system: reads that never create it,
// writes that replace it whole or not at all, and the per-user copy used when
// the folder beside the program cannot be written.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/app_win.h"
#include "platform/profile_file_win.h"
#include "resources/texts.h"
#include "startup/pelmor_b.h"
#include "startup/settings_win.h"
#include "startup/shared_values.h"

namespace {

using namespace varominea;

void RemoveTree(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    DeleteFileW(path.c_str());
    return;
  }
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name != L"." && name != L"..") RemoveTree(path + L"\\" + name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(path.c_str());
}

std::vector<std::wstring> Entries(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

std::optional<std::string> Bytes(const std::wstring& path) {
  platform::FileBytes file = platform::ReadFileBytes(path);
  if (file.state != platform::FileState::Read) return std::nullopt;
  return std::move(file.bytes);
}

void Put(const std::wstring& path, const std::string& bytes) {
  ASSERT_TRUE(platform::ReplaceFileContents(path, bytes));
}

std::string SettingsText(const std::string& image_size, const std::string& proc_pattern) {
  return std::string("[Section]\r\n") + texts::kKeyImageSize + "=" + image_size + "\r\n" +
         texts::kKeyProcPattern + "=" + proc_pattern + "\r\n";
}

// A fresh folder for one test, with LOCALAPPDATA pointing into it; the
// settings record starts at zero.
class SettingsFileTest : public testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    root_ = std::wstring(temp) + L"varominea-settings-" + std::to_wstring(GetCurrentProcessId());
    RemoveTree(root_);
    ASSERT_TRUE(CreateDirectoryW(root_.c_str(), nullptr));
    program_folder_ = root_ + L"\\program";
    local_app_data_ = root_ + L"\\local";
    CreateDirectoryW(program_folder_.c_str(), nullptr);
    CreateDirectoryW(local_app_data_.c_str(), nullptr);
    SetEnvironmentVariableW(L"LOCALAPPDATA", local_app_data_.c_str());
    files_ = {program_folder_ + texts::kSettingsFileSuffix, PerUserSettingsPath()};
    ImageSize = 0;
    ProcPattern = 0;
    IniValue.clear();
    ApiResult = 0;
  }
  void TearDown() override { RemoveTree(root_); }

  std::wstring root_, program_folder_, local_app_data_;
  SettingsFiles files_;
};

TEST_F(SettingsFileTest, ThePerUserCopyLivesUnderLocalAppData) {
  EXPECT_EQ(files_.per_user, local_app_data_ + L"\\ヴァロミネア\\ヴァロミネア.ini");
  SetEnvironmentVariableW(L"LOCALAPPDATA", (local_app_data_ + L"\\").c_str());
  EXPECT_EQ(PerUserSettingsPath(), files_.per_user);
  EXPECT_EQ(CurrentSettingsFiles().beside_program, platform::AppPath() + L"\\ヴァロミネア.ini");
}

TEST_F(SettingsFileTest, ReadingNeverCreatesTheFile) {
  ImageSize = 3;
  LoadSettingsFrom(files_);
  EXPECT_EQ(ImageSize, 0);  // a missing key is an empty value
  EXPECT_EQ(ProcPattern, 0);
  EXPECT_EQ(ReadIni("Section", texts::kKeyImageSize, files_.beside_program), "");
  EXPECT_TRUE(Entries(program_folder_).empty());
  EXPECT_TRUE(Entries(local_app_data_).empty());
}

TEST_F(SettingsFileTest, LoadingConvertsEachValueOnItsOwn) {
  Put(files_.beside_program, SettingsText(" 2.9 ", "abc"));
  ProcPattern = 5;
  LoadSettingsFrom(files_);
  EXPECT_EQ(ImageSize, 2);
  EXPECT_EQ(ProcPattern, 5);  // not a number: the value stays
  EXPECT_EQ(IniValue, "abc");

  Put(files_.beside_program, SettingsText("-0.5", "40000"));
  LoadSettingsFrom(files_);
  EXPECT_EQ(ImageSize, -1);
  EXPECT_EQ(ProcPattern, 5);
  EXPECT_EQ(IniValue, "40000");

  Put(files_.beside_program, "[Section]\r\n" + std::string(texts::kKeyProcPattern) + "= 1\r\n");
  LoadSettingsFrom(files_);
  EXPECT_EQ(ImageSize, 0);  // only one key in the file
  EXPECT_EQ(ProcPattern, 1);
}

TEST_F(SettingsFileTest, WritingCreatesAndUpdatesTheFileInPlace) {
  EXPECT_EQ(WriteIni("Section", texts::kKeyImageSize, " 1", files_.beside_program), "");
  EXPECT_EQ(ApiResult, 1);
  WriteIni("Section", texts::kKeyProcPattern, " 0", files_.beside_program);
  EXPECT_EQ(ApiResult, 1);
  EXPECT_EQ(Bytes(files_.beside_program), SettingsText(" 1", " 0"));
  WriteIni("Section", texts::kKeyImageSize, " 2", files_.beside_program);
  EXPECT_EQ(Bytes(files_.beside_program), SettingsText(" 2", " 0"));
  EXPECT_EQ(ReadIni("Section", texts::kKeyImageSize, files_.beside_program), "2");
  // The temporary files are gone.
  EXPECT_EQ(Entries(program_folder_), std::vector<std::wstring>{texts::kSettingsFileName});
}

TEST_F(SettingsFileTest, AFailedWriteKeepsTheOldFile) {
  const std::string old_bytes = SettingsText(" 1", " 1") + "[Other]\r\nx=1\r\n";
  Put(files_.beside_program, old_bytes);

  // A read-only file.
  SetFileAttributesW(files_.beside_program.c_str(), FILE_ATTRIBUTE_READONLY);
  ApiResult = 1;
  WriteIni("Section", texts::kKeyImageSize, " 2", files_.beside_program);
  EXPECT_EQ(ApiResult, 0);
  SetFileAttributesW(files_.beside_program.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(Bytes(files_.beside_program), old_bytes);

  // A file too large to be a profile is neither read nor replaced.
  const std::wstring large = program_folder_ + L"\\large.ini";
  Put(large, std::string(platform::kMaxProfileFileBytes + 1, 'x'));
  EXPECT_FALSE(platform::WriteProfileString(large, "Section", "k", "1"));
  EXPECT_EQ(Bytes(large), std::nullopt);
  DeleteFileW(large.c_str());

  // A folder that does not exist.
  const std::wstring nowhere = program_folder_ + L"\\missing\\x.ini";
  EXPECT_FALSE(platform::WriteProfileString(nowhere, "Section", "k", "1"));
  EXPECT_EQ(platform::ReadFileBytes(nowhere).state, platform::FileState::Missing);

  EXPECT_EQ(Entries(program_folder_), std::vector<std::wstring>{texts::kSettingsFileName});
}

TEST_F(SettingsFileTest, AFolderNamedLikeTheFileIsLeftAlone) {
  ASSERT_TRUE(CreateDirectoryW(files_.beside_program.c_str(), nullptr));
  Put(files_.beside_program + L"\\inside.txt", "kept");
  WriteIni("Section", texts::kKeyImageSize, " 1", files_.beside_program);
  EXPECT_EQ(ApiResult, 0);
  EXPECT_EQ(ReadIni("Section", texts::kKeyImageSize, files_.beside_program), "");
  EXPECT_TRUE(GetFileAttributesW(files_.beside_program.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(Bytes(files_.beside_program + L"\\inside.txt"), "kept");
  EXPECT_EQ(Entries(files_.beside_program), std::vector<std::wstring>{L"inside.txt"});

  // The setting is still saved, in the per-user copy.
  WriteSettingTo(files_, texts::kKeyImageSize, " 2");
  EXPECT_EQ(ApiResult, 1);
  LoadSettingsFrom(files_);
  EXPECT_EQ(ImageSize, 2);
}

// Linux refuses new files under /proc even to root, which Wine runs as here:
// a folder that exists and cannot be written.
TEST_F(SettingsFileTest, AnUnwritableFolderSavesToThePerUserCopyThatIsThenReadFirst) {
  const SettingsFiles files{L"Z:\\proc\\ヴァロミネア.ini", files_.per_user};
  ASSERT_NE(GetFileAttributesW(L"Z:\\proc"), INVALID_FILE_ATTRIBUTES);

  WriteSettingTo(files, texts::kKeyImageSize, " 1");
  EXPECT_EQ(ApiResult, 1);  // stored, though not beside the program
  EXPECT_EQ(IniValue, " 1");
  WriteSettingTo(files, texts::kKeyProcPattern, " 1");
  EXPECT_EQ(platform::ReadFileBytes(files.beside_program).state, platform::FileState::Missing);
  EXPECT_EQ(Bytes(files.per_user), SettingsText(" 1", " 1"));

  LoadSettingsFrom(files);
  EXPECT_EQ(ImageSize, 1);
  EXPECT_EQ(ProcPattern, 1);
}

TEST_F(SettingsFileTest, AReadOnlySettingsFileStaysAsItIsAndSeedsThePerUserCopy) {
  const std::string old_bytes = "; by hand\r\n" + SettingsText(" 2", " 1");
  Put(files_.beside_program, old_bytes);
  SetFileAttributesW(files_.beside_program.c_str(), FILE_ATTRIBUTE_READONLY);

  WriteSettingTo(files_, texts::kKeyImageSize, " 0");
  EXPECT_EQ(ApiResult, 1);
  EXPECT_EQ(Bytes(files_.beside_program), old_bytes);
  // The per-user copy starts from the old file: the other setting is kept.
  EXPECT_EQ(Bytes(files_.per_user), "; by hand\r\n" + SettingsText(" 0", " 1"));
  LoadSettingsFrom(files_);
  EXPECT_EQ(ImageSize, 0);
  EXPECT_EQ(ProcPattern, 1);
  SetFileAttributesW(files_.beside_program.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(SettingsFileTest, AWritableFolderKeepsAnExistingPerUserCopyInStep) {
  Put(files_.beside_program, SettingsText(" 0", " 0"));
  CreateDirectoryW((local_app_data_ + L"\\ヴァロミネア").c_str(), nullptr);
  Put(files_.per_user, SettingsText(" 2", " 1"));

  WriteSettingTo(files_, texts::kKeyImageSize, " 1");
  EXPECT_EQ(ApiResult, 1);
  EXPECT_EQ(Bytes(files_.beside_program), SettingsText(" 1", " 0"));
  EXPECT_EQ(Bytes(files_.per_user), SettingsText(" 1", " 1"));
  LoadSettingsFrom(files_);
  EXPECT_EQ(ImageSize, 1);
  EXPECT_EQ(ProcPattern, 1);
}

TEST_F(SettingsFileTest, WithoutAPerUserCopyOnlyTheFileBesideTheProgramIsWritten) {
  WriteSettingTo(files_, texts::kKeyImageSize, " 2");
  EXPECT_EQ(ApiResult, 1);
  EXPECT_EQ(Bytes(files_.beside_program),
            "[Section]\r\n" + std::string(texts::kKeyImageSize) + "= 2\r\n");
  EXPECT_TRUE(Entries(local_app_data_).empty());
}

// The user's decimal separator, as the control panel sets it.
TEST_F(SettingsFileTest, ValuesAreReadWithTheUsersDecimalSeparator) {
  wchar_t old_separator[8] = {};
  ASSERT_GT(GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, old_separator, 8), 0);
  ASSERT_TRUE(SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, L","));
  Put(files_.beside_program, SettingsText("2,9", "1.5"));
  ProcPattern = 4;
  LoadSettingsFrom(files_);
  SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, old_separator);
  EXPECT_EQ(ImageSize, 2);
  EXPECT_EQ(ProcPattern, 4);
}

}  // namespace
