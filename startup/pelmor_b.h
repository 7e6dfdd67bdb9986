// The shared module: the program's entry, the settings file and the zoom
// effect of the settings dialog.
#pragma once

#include <windows.h>

#include <string>

namespace varominea {

class Pelmor_R;

// The program's entry: single-instance guard, mode dispatch, settings, and
// the one window of the chosen mode.
void Main();

// Loads the preview window and places it as a child over `parent`, covering
// it, then shows it. false, with no window loaded, when the parent's size in
// twips does not fit 16 bits.
bool ShowPreviewIn(Pelmor_R& preview, HWND parent);

// One key's value from a profile file ("" when the file, section or key is
// missing).
std::string ReadIni(const std::string& section, const std::string& key, const std::wstring& file);
// Writes one key's value; the result is always empty.
std::string WriteIni(const std::string& section, const std::string& key, const std::string& value,
                     const std::wstring& file);
// Fills ImageSize and ProcPattern from the settings file.
void LoadSettings();
// Writes one setting's text to the settings file beside the executable, or,
// when that folder cannot be written, to the per-user copy.
void WriteSetting(const std::string& key, const std::string& value);
// The settings file beside the executable.
std::wstring SettingsPath();

// The caption animation between the zoom origin and a window's rectangle.
void ZoomOpen(HWND window);
void ZoomClose(HWND window);

}  // namespace varominea
