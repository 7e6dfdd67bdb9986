// Which settings a save writes, and as what text.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "windows/settings/profile.h"

namespace varominea {

struct SettingToSave {
  const char* key;
  std::int16_t value;
  // The value the settings file gave when the dialog opened (a missing file
  // or key gives 0), and whether it is known: false when the file could not
  // be read.
  std::int16_t opened;
  bool known;
  bool picked;  // whether the user chose an option of its group since
};

// The keys and sign-padded texts to write, in the order given, into a
// settings file whose section "Section" now holds `file_now` (its values read
// as a load reads them, with `decimal_separator` and `conversion`).
//
// A known setting whose value differs from the opened one is written. One the
// user left at its opened value is written back, in the file's number form
// and out-of-range values included, while the file still gives that value
// or lacks the key; a value another program (another user's dialog) stored
// there meanwhile is kept. A setting that is not known is written only when
// the user picked it: a failed read never overwrites what the file holds
// with a value nobody chose.
std::vector<profile::Entry> EntriesToSave(std::string_view file_now,
                                          const std::vector<SettingToSave>& settings,
                                          char decimal_separator,
                                          const profile::TextConversion& conversion);

}  // namespace varominea
