// The settings file: LoadSettings and the save of the settings, with a
// per-user copy for folders that cannot be written.
#include "windows/settings/settings_win.h"

#include <shlobj.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "core/numbers.h"
#include "core/setting_text.h"
#include "core/shared_values.h"
#include "core/steps.h"
#include "windows/platform/app_win.h"
#include "windows/resources/texts.h"
#include "windows/settings/code_page_win.h"
#include "windows/settings/profile_file_win.h"

namespace varominea {
namespace {

std::wstring WithoutTrailingSeparators(std::wstring path) {
  while (path.size() > 3 && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
  return path;
}

std::wstring LocalAppDataFolder() {
  const DWORD needed = GetEnvironmentVariableW(L"LOCALAPPDATA", nullptr, 0);
  if (needed > 1) {
    std::wstring value(needed, L'\0');
    const DWORD length = GetEnvironmentVariableW(L"LOCALAPPDATA", value.data(), needed);
    if (length > 0 && length < needed) {
      value.resize(length);
      return WithoutTrailingSeparators(std::move(value));
    }
  }
  PWSTR known = nullptr;
  std::wstring folder;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &known)) && known) {
    folder = WithoutTrailingSeparators(known);
  }
  CoTaskMemFree(known);
  return folder;
}

std::wstring FolderOf(const std::wstring& path) {
  const auto separator = path.find_last_of(L"\\/");
  return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator);
}

// The user's decimal separator, for reading numbers as the user writes them.
char UserDecimalSeparator() {
  wchar_t separator[8] = {};
  const int length = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8);
  return DecimalSeparatorFrom(
      length > 1 ? std::wstring_view(separator, static_cast<std::size_t>(length - 1))
                 : std::wstring_view());
}

// Writes keys' values in one write, telling how it went; ApiResult gets the
// success flag, which the settings dialog reads.
template <class Entries>
profile::WriteResult StoreValues(const Entries& entries, const std::wstring& file) {
  const profile::WriteResult result = profile::WriteProfileValues(file, texts::kSection, entries);
  ApiResult = result == profile::WriteResult::Stored ? 1 : 0;
  return result;
}

}  // namespace

std::wstring SettingsPath() {
  return platform::AppPath() + texts::kSettingsFileSuffix;
}

std::wstring PerUserSettingsPath() {
  const std::wstring folder = LocalAppDataFolder();
  if (folder.empty()) return {};
  return folder + L"\\" + texts::kPerUserFolder + L"\\" + texts::kSettingsFileName;
}

SettingsFiles CurrentSettingsFiles() {
  return {SettingsPath(), PerUserSettingsPath()};
}

void LoadSettingsFrom(const SettingsFiles& files) {
  IgnoringErrors step;
  std::wstring path = files.beside_program;
  char separator = '.';
  step([&] {
    if (!files.per_user.empty() && profile::IsExistingFile(files.per_user)) path = files.per_user;
  });
  step([&] { separator = UserDecimalSeparator(); });
  // One read for both settings, waiting a few seconds for a file another
  // program holds. A file that still cannot be read leaves them unknown and
  // as they were: its values are not 0.
  profile::FileBytes file{profile::FileState::Unreadable, {}};
  step([&] { file = profile::ReadFileBytes(path); });
  SettingsKnown =
      file.state == profile::FileState::Read || file.state == profile::FileState::Missing;
  if (!SettingsKnown) return;
  const std::pair<const char*, std::int16_t*> settings[] = {{texts::kKeyImageSize, &ImageSize},
                                                            {texts::kKeyProcPattern, &ProcPattern}};
  for (const auto& [key, target] : settings) {
    step([&] { IniValue = profile::ProfileValueOf(file, texts::kSection, key); });
    step([&] {
      const std::optional<std::int16_t> value = SettingFromText(IniValue, separator);
      if (value) *target = *value;
    });
  }
}

void LoadSettings() {
  LoadSettingsFrom(CurrentSettingsFiles());
}

bool SaveSettingsTo(const SettingsFiles& files, const std::vector<SettingToSave>& settings) {
  using profile::WriteResult;
  const auto last = std::find_if(settings.rbegin(), settings.rend(),
                                 [](const SettingToSave& s) { return s.known || s.picked; });
  if (last == settings.rend()) {
    ApiResult = 1;
    return true;
  }
  IniValue = SignPadded(last->value);
  const char separator = UserDecimalSeparator();
  // Which settings go into a file is decided on its contents as the write
  // holds it, so that a value another dialog stored since this one opened
  // is seen; `chosen` keeps the last decision.
  std::vector<profile::Entry> chosen;
  const profile::EntriesFor entries_for = [&](std::string_view contents) {
    chosen = EntriesToSave(contents, settings, separator, profile::kCodePage932);
    return chosen;
  };
  if (!files.per_user.empty() && profile::IsExistingFile(files.per_user)) {
    // A load reads an existing per-user copy first: the save goes there, or
    // nowhere. Only once it is stored does the file beside the program get
    // the same values, where it can; the copy holds them either way.
    if (StoreValues(entries_for, files.per_user) != WriteResult::Stored) return false;
    if (!chosen.empty()) profile::WriteProfileValues(files.beside_program, texts::kSection, chosen);
    return true;
  }
  const WriteResult beside = StoreValues(entries_for, files.beside_program);
  if (beside == WriteResult::Stored || files.per_user.empty()) {
    return beside == WriteResult::Stored;
  }
  // Only a folder that cannot be written sends the settings to the per-user
  // copy. A file that another program keeps locked, or one that cannot be
  // read, fails this save as it is, and the next save tries again: a copy
  // made now would hide every later change of the file beside the program.
  if (beside != WriteResult::NotWritable) return false;
  CreateDirectoryW(FolderOf(files.per_user).c_str(), nullptr);
  // The copy starts as the file beside the program, so that the settings
  // kept there are not lost; without its contents there is no copy.
  const profile::FileBytes old = profile::ReadFileBytes(files.beside_program);
  const bool copied =
      old.state == profile::FileState::Read
          ? profile::ReplaceFileContents(files.per_user, old.bytes) == WriteResult::Stored
          : !profile::IsExistingFile(files.beside_program);
  if (!copied) {
    ApiResult = 0;
    return false;
  }
  return StoreValues(entries_for, files.per_user) == WriteResult::Stored;
}

bool SaveSettings(const std::vector<SettingToSave>& settings) {
  return SaveSettingsTo(CurrentSettingsFiles(), settings);
}

}  // namespace varominea
