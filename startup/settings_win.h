// Where the settings file lives, and the settings' load and save with the
// files named explicitly (LoadSettings and WriteSetting use the real ones).
#pragma once

#include <string>

namespace varominea {

struct SettingsFiles {
  std::wstring beside_program;  // the file in the executable's folder
  std::wstring per_user;        // the per-user copy; empty when there is no such folder
};

// The per-user copy: "<local application data>\ヴァロミネア\ヴァロミネア.ini",
// the folder taken from LOCALAPPDATA, else from the system's known folder.
std::wstring PerUserSettingsPath();
SettingsFiles CurrentSettingsFiles();

// Fills ImageSize and ProcPattern, from the per-user copy when it exists.
void LoadSettingsFrom(const SettingsFiles& files);

// Writes one setting beside the program; when that fails, to the per-user
// copy (made from the file beside the program the first time). When it
// succeeds and a per-user copy exists, that copy gets the value too, so the
// next load sees it. ApiResult tells whether the value was stored.
void WriteSettingTo(const SettingsFiles& files, const std::string& key, const std::string& value);

}  // namespace varominea
