// The program's entry: single-instance guard, mode dispatch, settings, and
// the one window of the chosen mode.
#pragma once

namespace varominea {

void Main();

}  // namespace varominea
