// The settings file. (Placeholder until the profile functions exist.)
#include "platform/app_win.h"
#include "resources/texts.h"
#include "startup/pelmor_b.h"
#include "startup/shared_values.h"

namespace varominea {

std::wstring SettingsPath() { return platform::AppPath() + texts::kSettingsFileSuffix; }

std::string ReadIni(const std::string&, const std::string&, const std::wstring&) { return {}; }

std::string WriteIni(const std::string&, const std::string&, const std::string&,
                     const std::wstring&) {
  return {};
}

void LoadSettings() {}

void WriteSetting(const std::string&, const std::string&) {}

}  // namespace varominea
