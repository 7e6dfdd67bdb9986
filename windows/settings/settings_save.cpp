#include "windows/settings/settings_save.h"

#include "core/numbers.h"

namespace varominea {

std::vector<profile::Entry> EntriesToSave(std::initializer_list<SettingToSave> settings) {
  std::vector<profile::Entry> entries;
  for (const SettingToSave& setting : settings) {
    if (setting.known || setting.picked) {
      entries.push_back({setting.key, SignPadded(setting.value)});
    }
  }
  return entries;
}

}  // namespace varominea
