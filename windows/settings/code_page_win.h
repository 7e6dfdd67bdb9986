// Shift-JIS and UTF-16 through the system's code page 932, for settings
// files kept in UTF-16 or UTF-8: exact both ways, or refused.
#pragma once

#include "windows/settings/profile.h"

namespace varominea::profile {

// Refuses what has no exact counterpart (invalid Shift-JIS, characters code
// page 932 lacks, lone surrogates).
extern const TextConversion kCodePage932;

}  // namespace varominea::profile
