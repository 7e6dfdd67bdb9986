// Which front end draws: the X11 one or the Wayland one, from the options
// and the environment the program was started in.
#pragma once

#include "linux/options.h"

namespace varominea::linux_saver {

enum class FrontEnd { X11, Wayland };

// Wayland when asked with --wayland, or when `wayland_display` (the value of
// WAYLAND_DISPLAY, nullptr when unset) names a compositor and no X11 target
// was named; X11 otherwise, so X11 hosts keep getting the X11 front end.
FrontEnd ChooseFrontEnd(const Options& options, const char* wayland_display);

}  // namespace varominea::linux_saver
