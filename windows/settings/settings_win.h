// The settings file: the load of both settings and their save, with a
// per-user copy for folders that cannot be written. The *From/*To forms name
// the files explicitly; the others use the real ones.
#pragma once

#include <string>
#include <vector>

#include "windows/settings/settings_save.h"

namespace varominea {

// Fills ImageSize and ProcPattern from the settings file, and SettingsKnown
// with whether it could be read.
void LoadSettings();
// Saves the settings the dialog shows, all in one write, to the settings
// file beside the executable, or, when that folder cannot be written, to the
// per-user copy; true when they were stored in one of them (and when there
// are none to write).
bool SaveSettings(const std::vector<SettingToSave>& settings);
// The settings file beside the executable.
std::wstring SettingsPath();

struct SettingsFiles {
  std::wstring beside_program;  // the file in the executable's folder
  std::wstring per_user;        // the per-user copy; empty when there is no such folder
};

// The per-user copy: "<local application data>\ヴァロミネア\ヴァロミネア.ini",
// the folder taken from LOCALAPPDATA, else from the system's known folder.
std::wstring PerUserSettingsPath();
SettingsFiles CurrentSettingsFiles();

// Fills ImageSize and ProcPattern, from the per-user copy when it exists.
// The file is read once, waiting a few seconds for another program that
// holds it; when it still cannot be read, SettingsKnown is false and the
// settings keep their values.
void LoadSettingsFrom(const SettingsFiles& files);

// Writes the settings EntriesToSave picks from the file as it is when the
// save holds it, all in one write, to the file the next load reads: an
// existing per-user copy (the file beside the program then gets the same
// values after it, where it can), else the file beside the program; when the
// program's folder cannot be written, a per-user copy made from that file.
// A file another program keeps locked fails the save, and leaves both files
// as they were. True, and ApiResult 1, when the values were stored where the
// next load reads them. IniValue keeps the text of the last setting that is
// known or picked.
bool SaveSettingsTo(const SettingsFiles& files, const std::vector<SettingToSave>& settings);

}  // namespace varominea
