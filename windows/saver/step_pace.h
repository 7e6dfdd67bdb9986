// The pace of the saver's steps when the system's animation effects are
// off: one step per display refresh, and never more than 60 a second.
#pragma once

#include <chrono>

namespace varominea {

using PaceDuration = std::chrono::nanoseconds;

// One refresh of a display at refresh_hz; a rate the system does not know
// (0 or 1, "the hardware's default") counts as 60 Hz.
PaceDuration RefreshPeriod(int refresh_hz);

// The time from one step to the next: a whole number of refreshes, the
// fewest that keep the steps at 60 a second or fewer (one refresh up to
// 60 Hz, two at 61 to 120 Hz, three at 121 to 180 Hz, ...).
PaceDuration StepPeriod(int refresh_hz);

// When the step after the one due at `due` is due, seen at `now`: one period
// later, or, when the loop has fallen behind, the first moment of the same
// rhythm still ahead, so that a late step never brings a burst of steps to
// catch up. Times count from any fixed origin.
PaceDuration NextStepDue(PaceDuration due, PaceDuration now, PaceDuration period);

}  // namespace varominea
