#include "windows/settings/settings_save.h"

#include "core/numbers.h"
#include "core/setting_text.h"
#include "windows/resources/texts.h"

namespace varominea {
namespace {

// Whether the file still says what it said when the dialog opened: the key
// is missing or empty, or its text loads as that value (text that is no
// number loads as 0, the value a setting has before the load).
bool StillAsOpened(std::string_view file_now, const SettingToSave& setting, char separator,
                   const profile::TextConversion& conversion) {
  const std::string text =
      profile::GetProfileValue(file_now, texts::kSection, setting.key, conversion);
  return text.empty() || SettingFromText(text, separator).value_or(0) == setting.opened;
}

}  // namespace

std::vector<profile::Entry> EntriesToSave(std::string_view file_now,
                                          const std::vector<SettingToSave>& settings,
                                          char decimal_separator,
                                          const profile::TextConversion& conversion) {
  std::vector<profile::Entry> entries;
  for (const SettingToSave& setting : settings) {
    const bool write = setting.known
                           ? setting.value != setting.opened ||
                                 StillAsOpened(file_now, setting, decimal_separator, conversion)
                           : setting.picked;
    if (write) entries.push_back({setting.key, SignPadded(setting.value)});
  }
  return entries;
}

}  // namespace varominea
