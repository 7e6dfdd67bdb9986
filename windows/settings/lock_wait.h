// How long a file that another program keeps locked is waited for, and how
// often it is tried again meanwhile.
#pragma once

#include <optional>

namespace varominea::profile {

// As long as a person accepts at start-up or on saving: an editor, a virus
// scanner or a sync client lets go well within it.
inline constexpr unsigned kLockedFileWaitMs = 3000;

// The pause before the next attempt on a locked file, after `attempts` that
// failed and `elapsed_ms` since the first: short at first, so a brief hold
// costs little, then longer, and ending with one last attempt when
// `wait_ms` has passed. std::nullopt once that last attempt failed.
std::optional<unsigned> PauseBeforeRetry(unsigned attempts, unsigned long long elapsed_ms,
                                         unsigned long long wait_ms = kLockedFileWaitMs);

}  // namespace varominea::profile
