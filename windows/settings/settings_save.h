// Which settings a save writes, and as what text.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "windows/settings/profile.h"

namespace varominea {

struct SettingToSave {
  const char* key;
  std::int16_t value;
  // Whether the value is what the settings file held (a missing file or key
  // holds 0); false when the file could not be read.
  bool known;
  bool picked;  // whether the user chose it since
};

// The keys and sign-padded texts to write, in the order given. A setting
// that is neither known nor picked is left out: a failed read never
// overwrites what the file holds with a value nobody chose. A known value is
// written back as it is, so a save leaves both keys in the file's own form.
std::vector<profile::Entry> EntriesToSave(std::initializer_list<SettingToSave> settings);

}  // namespace varominea
