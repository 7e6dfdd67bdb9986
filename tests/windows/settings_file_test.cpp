// The settings file on a real file system: reads that never create it,
// writes that replace it whole or not at all, and the per-user copy used when
// the folder beside the program cannot be written.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "core/shared_values.h"
#include "platform/app_win.h"
#include "resources/texts.h"
#include "settings/profile_file_win.h"
#include "settings/settings_win.h"
#include "tests/support/settings_text.h"

namespace {

using namespace varominea;
using Names = std::vector<std::wstring>;

Names Entries(const std::wstring& folder) {
  Names names;
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

void RemoveTree(const std::wstring& path) {
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (DeleteFileW(path.c_str())) return;
  for (const std::wstring& name : Entries(path)) RemoveTree(path + L"\\" + name);
  RemoveDirectoryW(path.c_str());
}

std::optional<std::string> Bytes(const std::wstring& path) {
  platform::FileBytes file = platform::ReadFileBytes(path);
  if (file.state != platform::FileState::Read) return std::nullopt;
  return std::move(file.bytes);
}

void Put(const std::wstring& path, const std::string& bytes) {
  ASSERT_TRUE(platform::ReplaceFileContents(path, bytes));
}

using test::SettingsText;

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

TEST_F(SettingsFileTest, PerUserCopyLivesUnderLocalAppDataAndReadingCreatesNothing) {
  EXPECT_EQ(files_.per_user, local_app_data_ + L"\\ヴァロミネア\\ヴァロミネア.ini");
  SetEnvironmentVariableW(L"LOCALAPPDATA", (local_app_data_ + L"\\").c_str());
  EXPECT_EQ(PerUserSettingsPath(), files_.per_user);

  ImageSize = 3;
  LoadSettingsFrom(files_);
  EXPECT_EQ(ImageSize, 0);  // a missing key is an empty value
  EXPECT_EQ(ProcPattern, 0);
  EXPECT_EQ(ReadIni("Section", texts::kKeyImageSize, files_.beside_program), "");
  EXPECT_TRUE(Entries(program_folder_).empty());
  EXPECT_TRUE(Entries(local_app_data_).empty());
}

// Each value on its own, with the user's decimal separator as the control
// panel sets it (the conversion itself is tested natively).
TEST_F(SettingsFileTest, LoadingConvertsEachValueOnItsOwnWithTheUsersSeparator) {
  wchar_t old_separator[8] = {};
  ASSERT_GT(GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, old_separator, 8), 0);
  for (const auto& [separator, image_size, proc_pattern] :
       {std::tuple{L".", " 2.9 ", "abc"}, {L",", "2,9", "1.5"}}) {
    Put(files_.beside_program, SettingsText(image_size, proc_pattern));
    ASSERT_TRUE(SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator));
    ImageSize = 7;
    ProcPattern = 5;
    LoadSettingsFrom(files_);
    EXPECT_EQ(ImageSize, 2) << image_size;
    EXPECT_EQ(ProcPattern, 5) << "not a number: the value stays";
    EXPECT_EQ(IniValue, proc_pattern);
  }
  SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, old_separator);
}

// Saving writes the file beside the program, keeping an existing per-user
// copy in step; where that file cannot be written, the per-user copy (made
// from it) takes the value without a word, and loading reads that copy first.
TEST_F(SettingsFileTest, SavingFallsBackToThePerUserCopyWhichIsReadFirst) {
  const std::string by_hand = "; by hand\r\n" + SettingsText(" 1", " 1");
  const std::string by_hand_saved = "; by hand\r\n" + SettingsText(" 2", " 1");
  const std::string only_size = "[Section]\r\n" + std::string(texts::kKeyImageSize) + "= 2\r\n";
  enum Beside { kNone, kFile, kReadOnly, kFolder, kUnwritable };
  using Text = std::optional<std::string>;
  const struct {
    Beside beside;
    Text per_user_before, beside_after, per_user_after;
    std::int16_t proc_pattern;  // loaded afterwards
  } cases[] = {
      {kNone, {}, only_size, {}, 0},
      {kFile, SettingsText(" 0", " 0"), by_hand_saved, SettingsText(" 2", " 0"), 0},
      {kReadOnly, {}, by_hand, by_hand_saved, 1},
      // Linux refuses new files under /proc even to root, which Wine runs as.
      {kUnwritable, {}, {}, only_size, 0},
      {kFolder, {}, {}, only_size, 0},  // last: checked once more below
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.beside));
    RemoveTree(program_folder_);
    RemoveTree(local_app_data_);
    CreateDirectoryW(program_folder_.c_str(), nullptr);
    CreateDirectoryW(local_app_data_.c_str(), nullptr);
    SettingsFiles files = files_;
    if (c.beside == kFile || c.beside == kReadOnly) Put(files.beside_program, by_hand);
    if (c.beside == kReadOnly)
      SetFileAttributesW(files.beside_program.c_str(), FILE_ATTRIBUTE_READONLY);
    if (c.beside == kFolder) {
      ASSERT_TRUE(CreateDirectoryW(files.beside_program.c_str(), nullptr));
      Put(files.beside_program + L"\\inside.txt", "kept");
    }
    if (c.beside == kUnwritable) files.beside_program = L"Z:\\proc\\ヴァロミネア.ini";
    if (c.per_user_before) {
      CreateDirectoryW((local_app_data_ + L"\\ヴァロミネア").c_str(), nullptr);
      Put(files.per_user, *c.per_user_before);
    }
    ApiResult = 0;
    WriteSettingTo(files, texts::kKeyImageSize, " 2");
    EXPECT_EQ(ApiResult, 1);
    EXPECT_EQ(IniValue, " 2");
    EXPECT_EQ(Bytes(files.beside_program), c.beside_after);
    EXPECT_EQ(Bytes(files.per_user), c.per_user_after);
    // No temporary file is left beside the program.
    EXPECT_EQ(Entries(program_folder_),
              c.beside == kUnwritable ? Names{} : Names{texts::kSettingsFileName});
    ImageSize = ProcPattern = 7;
    LoadSettingsFrom(files);
    EXPECT_EQ(ImageSize, 2);
    EXPECT_EQ(ProcPattern, c.proc_pattern);
  }
  EXPECT_EQ(Entries(files_.beside_program), Names{L"inside.txt"}) << "the folder is left alone";
  EXPECT_EQ(Bytes(files_.beside_program + L"\\inside.txt"), "kept");
}

TEST_F(SettingsFileTest, AFailedWriteKeepsTheOldFile) {
  // A folder named like the file is neither read nor replaced.
  ASSERT_TRUE(CreateDirectoryW(files_.beside_program.c_str(), nullptr));
  ApiResult = 1;
  EXPECT_FALSE(WriteIniValue("Section", texts::kKeyImageSize, " 1", files_.beside_program));
  EXPECT_EQ(ApiResult, 0);
  EXPECT_EQ(ReadIni("Section", texts::kKeyImageSize, files_.beside_program), "");
  EXPECT_TRUE(GetFileAttributesW(files_.beside_program.c_str()) & FILE_ATTRIBUTE_DIRECTORY);

  // Nor is a file too large to be a profile.
  const std::wstring large = program_folder_ + L"\\large.ini";
  Put(large, std::string(platform::kMaxProfileFileBytes + 1, 'x'));
  EXPECT_FALSE(platform::WriteProfileValue(large, "Section", "k", "1"));
  EXPECT_EQ(Bytes(large), std::nullopt);
  DeleteFileW(large.c_str());

  const std::wstring nowhere = program_folder_ + L"\\missing\\x.ini";
  EXPECT_FALSE(platform::WriteProfileValue(nowhere, "Section", "k", "1"));
  EXPECT_EQ(platform::ReadFileBytes(nowhere).state, platform::FileState::Missing);
  EXPECT_EQ(Entries(program_folder_), Names{texts::kSettingsFileName});
}

}  // namespace
