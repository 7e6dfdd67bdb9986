// The settings file: ReadIni, WriteIniValue, LoadSettings and the save of one
// setting, with a per-user copy for folders that cannot be written.
#include "settings/settings_win.h"

#include <shlobj.h>

#include <utility>

#include "core/setting_text.h"
#include "core/shared_values.h"
#include "core/steps.h"
#include "platform/app_win.h"
#include "resources/texts.h"
#include "settings/profile_file_win.h"

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

// Writes one key's value, telling how it went; ApiResult gets the success
// flag, which the settings dialog reads.
profile::WriteResult StoreValue(const std::string& section, const std::string& key,
                                const std::string& value, const std::wstring& file) {
  const profile::WriteResult result = profile::WriteProfileValue(file, section, key, value);
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

std::string ReadIni(const std::string& section, const std::string& key, const std::wstring& file) {
  return profile::ReadProfileValue(file, section, key);
}

bool WriteIniValue(const std::string& section, const std::string& key, const std::string& value,
                   const std::wstring& file) {
  return StoreValue(section, key, value, file) == profile::WriteResult::Stored;
}

void LoadSettingsFrom(const SettingsFiles& files) {
  IgnoringErrors step;
  std::wstring path = files.beside_program;
  char separator = '.';
  step([&] {
    if (!files.per_user.empty() && profile::IsExistingFile(files.per_user)) path = files.per_user;
  });
  step([&] { separator = UserDecimalSeparator(); });
  const std::pair<const char*, std::int16_t*> settings[] = {{texts::kKeyImageSize, &ImageSize},
                                                            {texts::kKeyProcPattern, &ProcPattern}};
  for (const auto& [key, target] : settings) {
    step([&] { IniValue = ReadIni(texts::kSection, key, path); });
    step([&] {
      const std::optional<std::int16_t> value = SettingFromText(IniValue, separator);
      if (value) *target = *value;
    });
  }
}

void LoadSettings() {
  LoadSettingsFrom(CurrentSettingsFiles());
}

bool WriteSettingTo(const SettingsFiles& files, const std::string& key, const std::string& value) {
  using profile::WriteResult;
  IniValue = value;
  const WriteResult beside = StoreValue(texts::kSection, key, value, files.beside_program);
  if (files.per_user.empty()) return beside == WriteResult::Stored;
  const bool per_user_exists = profile::IsExistingFile(files.per_user);
  if (beside == WriteResult::Stored) {
    // Keep an existing per-user copy, which the next load reads first, in step.
    return !per_user_exists || WriteIniValue(texts::kSection, key, value, files.per_user);
  }
  // Only a folder that cannot be written sends the setting to the per-user
  // copy. A file that another program keeps locked, or one that cannot be
  // read, fails this save as it is, and the next save tries again: a copy
  // made now would hide every later change of the file beside the program.
  if (beside != WriteResult::NotWritable) return false;
  CreateDirectoryW(FolderOf(files.per_user).c_str(), nullptr);
  if (!per_user_exists) {
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
  }
  return WriteIniValue(texts::kSection, key, value, files.per_user);
}

bool WriteSetting(const std::string& key, const std::string& value) {
  return WriteSettingTo(CurrentSettingsFiles(), key, value);
}

}  // namespace varominea
