// The dialog's caption face, chosen from the fonts this system has.
#pragma once

#include <string>
#include <vector>

#include "windows/settings_dialog/caption_font.h"

namespace varominea::dialog {

// Every font family installed, once per family.
std::vector<InstalledFace> InstalledFaces();

// ChooseCaptionFace over the installed families.
std::wstring InstalledCaptionFace();

}  // namespace varominea::dialog
