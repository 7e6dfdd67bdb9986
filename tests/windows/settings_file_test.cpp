// The settings file on a real file system: reads that never create it,
// writes that replace it whole or not at all, and the per-user copy used when
// the folder beside the program cannot be written.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "core/shared_values.h"
#include "tests/support/held_file_win.h"
#include "tests/support/profile_file_win.h"
#include "tests/support/settings_text.h"
#include "windows/platform/app_win.h"
#include "windows/platform/handles_win.h"
#include "windows/resources/texts.h"
#include "windows/settings/file_replace_win.h"
#include "windows/settings/profile.h"
#include "windows/settings/settings_win.h"

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
  profile::FileBytes file = profile::ReadFileBytes(path);
  if (file.state != profile::FileState::Read) return std::nullopt;
  return std::move(file.bytes);
}

void Put(const std::wstring& path, const std::string& bytes) {
  ASSERT_EQ(profile::ReplaceFileContents(path, bytes), profile::WriteResult::Stored);
}

using test::HeldFile;
using test::ReadProfileValue;
using test::SettingsText;
using test::WriteProfileValue;

// A setting the user picked, with nothing known of the file: it is written
// whatever the file holds.
SettingToSave Picked(const char* key, const std::string& value) {
  return {key, static_cast<std::int16_t>(std::stoi(value)), 0, false, true};
}

// Saves one setting (" 2").
bool WriteSettingTo(const SettingsFiles& files, const char* key, const std::string& value) {
  return SaveSettingsTo(files, {Picked(key, value)});
}

// Saves both settings in one write.
bool SaveBoth(const SettingsFiles& files, const std::string& image_size,
              const std::string& proc_pattern) {
  return SaveSettingsTo(files, {Picked(texts::kKeyImageSize, image_size),
                                Picked(texts::kKeyProcPattern, proc_pattern)});
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

TEST_F(SettingsFileTest, PerUserCopyLivesUnderLocalAppDataAndReadingCreatesNothing) {
  EXPECT_EQ(files_.per_user, local_app_data_ + L"\\ヴァロミネア\\ヴァロミネア.ini");
  SetEnvironmentVariableW(L"LOCALAPPDATA", (local_app_data_ + L"\\").c_str());
  EXPECT_EQ(PerUserSettingsPath(), files_.per_user);

  ImageSize = 3;
  LoadSettingsFrom(files_);
  EXPECT_EQ(ImageSize, 0);  // a missing key is an empty value
  EXPECT_EQ(ProcPattern, 0);
  EXPECT_EQ(ReadProfileValue(files_.beside_program, "Section", texts::kKeyImageSize), "");
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
  EXPECT_FALSE(WriteSettingTo({files_.beside_program, L""}, texts::kKeyImageSize, " 1"));
  EXPECT_EQ(ApiResult, 0);
  EXPECT_EQ(ReadProfileValue(files_.beside_program, "Section", texts::kKeyImageSize), "");
  EXPECT_TRUE(GetFileAttributesW(files_.beside_program.c_str()) & FILE_ATTRIBUTE_DIRECTORY);

  // Nor is a file too large to be a profile.
  const std::wstring large = program_folder_ + L"\\large.ini";
  Put(large, std::string(profile::kMaxProfileFileBytes + 1, 'x'));
  EXPECT_EQ(WriteProfileValue(large, "Section", "k", "1"), profile::WriteResult::Failed);
  EXPECT_EQ(Bytes(large), std::nullopt);
  DeleteFileW(large.c_str());

  const std::wstring nowhere = program_folder_ + L"\\missing\\x.ini";
  EXPECT_NE(WriteProfileValue(nowhere, "Section", "k", "1"), profile::WriteResult::Stored);
  EXPECT_EQ(profile::ReadFileBytes(nowhere).state, profile::FileState::Missing);
  EXPECT_EQ(Entries(program_folder_), Names{texts::kSettingsFileName});
}

// Another program holding the file: a short hold is waited for and the save
// lands in place; a long one fails the save (ApiResult 0) without writing
// anything or making a per-user copy, and the next save succeeds.
TEST_F(SettingsFileTest, AFileHeldByAnotherProgramIsWaitedForNeverWorkedAround) {
  const std::string before = "; by hand\r\n[Other]\r\nx=1\r\n" + SettingsText(" 1", " 1");
  const std::string saved = "; by hand\r\n[Other]\r\nx=1\r\n" + SettingsText(" 2", " 1");
  const struct {
    DWORD share;  // what the holder lets others do: nothing, or read only
    DWORD hold_ms;
    bool stored;
  } cases[] = {
      {0, 300, true},
      {FILE_SHARE_READ, 300, true},
      {0, 2 * profile::kLockedFileWaitMs + 500, false},
      {FILE_SHARE_READ, 2 * profile::kLockedFileWaitMs + 500, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "share " << c.share << ", held " << c.hold_ms << " ms");
    Put(files_.beside_program, before);
    if (c.stored && c.share == 0) {
      HeldFile held(files_.beside_program, c.share, c.hold_ms);
      EXPECT_TRUE(held.held());
      ImageSize = ProcPattern = 0;
      LoadSettingsFrom(files_);
      EXPECT_EQ(ImageSize, 1);
      EXPECT_EQ(ProcPattern, 1);
    }
    {
      HeldFile held(files_.beside_program, c.share, c.hold_ms);
      EXPECT_TRUE(held.held());
      ApiResult = c.stored ? 0 : 1;
      WriteSettingTo(files_, texts::kKeyImageSize, " 2");
      EXPECT_EQ(ApiResult, c.stored ? 1 : 0);
    }
    EXPECT_EQ(Bytes(files_.beside_program), c.stored ? saved : before);
    EXPECT_FALSE(profile::IsExistingFile(files_.per_user));
    EXPECT_EQ(Entries(program_folder_), Names{texts::kSettingsFileName}) << "no temporary file";
    if (!c.stored) {
      WriteSettingTo(files_, texts::kKeyImageSize, " 2");
      EXPECT_EQ(ApiResult, 1) << "the next save tries again";
      EXPECT_EQ(Bytes(files_.beside_program), saved);
    }
  }
}

// The per-user copy, which a load reads first, held past the wait: the save
// fails as a whole, and the file beside the program keeps its old contents
// too, so the next start still shows one state of the settings.
TEST_F(SettingsFileTest, ASaveThatCannotReachThePerUserCopyChangesNeitherFile) {
  const std::string before = SettingsText(" 1", " 1");
  Put(files_.beside_program, before);
  CreateDirectoryW((local_app_data_ + L"\\" + texts::kPerUserFolder).c_str(), nullptr);
  Put(files_.per_user, before);
  {
    HeldFile held(files_.per_user, 0, profile::kLockedFileWaitMs + 1500);
    ASSERT_TRUE(held.held());
    ApiResult = 1;
    EXPECT_FALSE(WriteSettingTo(files_, texts::kKeyImageSize, " 2"));
    EXPECT_EQ(ApiResult, 0);
  }
  EXPECT_EQ(Bytes(files_.beside_program), before);
  EXPECT_EQ(Bytes(files_.per_user), before);
}

// Temporary files of the writer's own naming that a process ended halfway
// left beside the settings file go with the next save; files that only look
// alike, and one that a running process may still be writing, stay.
TEST_F(SettingsFileTest, SavingRemovesLeftoverTemporaryFilesOfItsOwnNamingOnly) {
  // A process that is running while the save looks at the folder.
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring command = L"\"" + std::wstring(self) + L"\" --gtest_list_tests";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION running{};
  ASSERT_TRUE(CreateProcessW(self, command.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                             nullptr, nullptr, &startup, &running));
  const platform::OwnedFile process(running.hProcess), thread(running.hThread);
  wchar_t running_pid[16], own_pid[16];
  wsprintfW(running_pid, L"%lx", running.dwProcessId);
  wsprintfW(own_pid, L"%lx", GetCurrentProcessId());

  const std::wstring name = texts::kSettingsFileName;
  const Names leftovers = {name + L".1a2b-3c4d5e6f-0.tmp", name + L".ffffff1-0-f.tmp",
                           name + L"." + own_pid + L"-1-2.tmp"};
  const Names foreign = {name + L".1a2b-3c4d-0.tmp.bak",
                         name + L".1A2B-3c4d-0.tmp",
                         name + L".1a2b-3c4d.tmp",
                         name + L".1a2b-3c4d-0-1.tmp",
                         name + L".x1-1-0.tmp",
                         name + L".123456789-1-0.tmp",
                         name + L".-1-0.tmp",
                         L"x" + name + L".1-2-3.tmp",
                         std::wstring(running_pid) + L".ini",
                         name + L"." + running_pid + L"-1-0.tmp"};
  Put(files_.beside_program, SettingsText(" 1", " 1"));
  for (const std::wstring& file : leftovers) Put(program_folder_ + L"\\" + file, "left");
  for (const std::wstring& file : foreign) Put(program_folder_ + L"\\" + file, "foreign");
  ASSERT_TRUE(CreateDirectoryW((program_folder_ + L"\\" + name + L".1-2-3.tmp").c_str(), nullptr));

  WriteSettingTo(files_, texts::kKeyImageSize, " 2");
  EXPECT_EQ(ApiResult, 1);
  TerminateProcess(process.get(), 0);
  Names expected = foreign;
  expected.push_back(name);
  expected.push_back(name + L".1-2-3.tmp");
  Names found = Entries(program_folder_);
  std::sort(expected.begin(), expected.end());
  std::sort(found.begin(), found.end());
  EXPECT_EQ(found, expected);
}

// Adds one key to the file the way a careful program does: the file held,
// sharing nothing, from its read to its write. Waits while the file is in
// use; false when it never got it.
bool AddKeyHoldingTheFile(const std::wstring& path, const std::string& key) {
  const ULONGLONG deadline = GetTickCount64() + 20000;
  for (;;) {
    platform::OwnedFile file(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
      if (GetTickCount64() >= deadline) return false;
      Sleep(1);
      continue;
    }
    std::string bytes(64 * 1024, '\0');
    DWORD got = 0;
    if (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr))
      return false;
    bytes.resize(got);
    const std::optional<std::string> added = profile::SetProfileValue(bytes, "Other", key, "1");
    DWORD written = 0;
    return added && SetFilePointer(file.get(), 0, nullptr, FILE_BEGIN) == 0 &&
           WriteFile(file.get(), added->data(), static_cast<DWORD>(added->size()), &written,
                     nullptr) &&
           written == added->size() && SetEndOfFile(file.get());
  }
}

DWORD WINAPI AddKeys(void* path) {
  for (int i = 0; i < 300; ++i) {
    Sleep(2);
    if (!AddKeyHoldingTheFile(*static_cast<const std::wstring*>(path), "k" + std::to_string(i)))
      return 1;
  }
  return 0;
}

// Saving both settings while another program adds keys of its own: every
// save holds the file from its read to its replace, so neither side's keys
// are lost, and both settings are stored together.
TEST_F(SettingsFileTest, SavingWhileAnotherProgramAddsKeysLosesNone) {
  Put(files_.beside_program, SettingsText(" 1", " 1"));
  const platform::OwnedKernelObject writer(
      CreateThread(nullptr, 0, &AddKeys, &files_.beside_program, 0, nullptr));
  ASSERT_TRUE(writer);
  int saves = 0, failed = 0;
  std::string last;
  while (WaitForSingleObject(writer.get(), 0) == WAIT_TIMEOUT) {
    last = saves % 2 ? " 2" : " 0";
    failed += !SaveBoth(files_, last, last);
    ++saves;
  }
  DWORD writer_result = 1;
  GetExitCodeThread(writer.get(), &writer_result);
  EXPECT_EQ(writer_result, 0u) << "the other program never got the file";
  EXPECT_EQ(failed, 0) << "of " << saves << " saves";
  const std::string after = Bytes(files_.beside_program).value_or("");
  int lost = 0;
  for (int i = 0; i < 300; ++i)
    lost += profile::GetProfileValue(after, "Other", "k" + std::to_string(i)) != "1";
  EXPECT_EQ(lost, 0) << "keys of the other program lost in " << saves << " saves";
  EXPECT_GT(saves, 1);
  EXPECT_EQ(profile::GetProfileValue(after, "Section", texts::kKeyImageSize), last.substr(1));
  EXPECT_EQ(profile::GetProfileValue(after, "Section", texts::kKeyProcPattern), last.substr(1));
}

// Symbolic links made and removed the way the file system's own tools do:
// on Wine, on the Unix side (Wine shows a link as the file it leads to, and
// its own delete removes that file, not the link); elsewhere, with the
// system's own calls.
class SymbolicLinks {
 public:
  SymbolicLinks()
      : unix_name_(reinterpret_cast<UnixName>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")))) {}

  // False when no link can be made here.
  bool Make(const std::wstring& link, const std::wstring& target, bool relative) const {
    if (!unix_name_) {
      const std::wstring to = relative ? target.substr(target.find_last_of(L'\\') + 1) : target;
      return CreateSymbolicLinkW(link.c_str(), to.c_str(),
                                 SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) != FALSE;
    }
    std::wstring to = Unix(target);
    if (relative) to = to.substr(to.find_last_of(L'/') + 1);
    return RunUnix(L"Z:\\bin\\ln", L"ln -s \"" + to + L"\" \"" + Unix(link) + L"\"",
                   [&] { return profile::IsExistingFile(link); });
  }

  // Removes the link, which must still lead to a file.
  bool Remove(const std::wstring& link) const {
    if (!unix_name_) return DeleteFileW(link.c_str()) != FALSE;
    return RunUnix(L"Z:\\bin\\rm", L"rm \"" + Unix(link) + L"\"",
                   [&] { return !profile::IsExistingFile(link); });
  }

 private:
  using UnixName = char*(CDECL*)(LPCWSTR);

  std::wstring Unix(const std::wstring& path) const {
    char* name = unix_name_(path.c_str());
    std::wstring text(MAX_PATH * 4, L'\0');
    const int length = MultiByteToWideChar(CP_UTF8, 0, name ? name : "", -1, text.data(),
                                           static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(std::max(0, length - 1)));
    HeapFree(GetProcessHeap(), 0, name);
    return text;
  }

  // Wine does not wait for a Unix program: it is done when `done` holds.
  template <typename Done>
  static bool RunUnix(const wchar_t* program, std::wstring command, Done done) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(program, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started)) {
      return false;
    }
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    const ULONGLONG deadline = GetTickCount64() + 10000;
    while (!done() && GetTickCount64() < deadline) Sleep(20);
    return done();
  }

  UnixName unix_name_;
};

// A settings file that is a symbolic link, to a file beside it or in another
// folder: saving writes the file the link leads to, replacing it in its own
// folder, and the link stays a link (a later change of its target shows
// through it).
TEST_F(SettingsFileTest, SavingThroughASymbolicLinkWritesItsTargetAndKeepsTheLink) {
  const SymbolicLinks links;
  const std::wstring elsewhere = root_ + L"\\elsewhere";
  ASSERT_TRUE(CreateDirectoryW(elsewhere.c_str(), nullptr));
  for (const auto& [target, relative] :
       {std::pair{program_folder_ + L"\\real.ini", true}, {elsewhere + L"\\real.ini", false}}) {
    SCOPED_TRACE(testing::Message() << "link to " << (relative ? "real.ini" : "elsewhere"));
    Put(target, "; kept\r\n" + SettingsText(" 1", " 1"));
    if (!links.Make(files_.beside_program, target, relative)) {
      GTEST_SKIP() << "no symbolic link can be made here";
    }
    EXPECT_TRUE(SaveBoth(files_, " 2", " 0"));
    EXPECT_EQ(Bytes(target), "; kept\r\n" + SettingsText(" 2", " 0"));
    Put(target, SettingsText(" 0", " 1"));
    EXPECT_EQ(Bytes(files_.beside_program), SettingsText(" 0", " 1")) << "no longer a link";
    Names found = Entries(program_folder_);
    std::sort(found.begin(), found.end());
    Names expected{texts::kSettingsFileName};
    if (relative) expected.push_back(L"real.ini");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(found, expected) << "no temporary file";
    EXPECT_EQ(Entries(elsewhere), relative ? Names{} : Names{L"real.ini"});
    ASSERT_TRUE(links.Remove(files_.beside_program));
    EXPECT_TRUE(DeleteFileW(target.c_str()));
  }
}

}  // namespace
