// The saver drawn into an X11 window: the same field, frame step and palette
// as the Windows saver, stretched into the window the options name.
#pragma once

#include "linux/options.h"

namespace varominea::x11 {

// Runs until the window is destroyed or closed, or the display cannot be
// used, and returns the process's exit status: 0 when it ended as a saver
// should. A signal on `signal_fd` (a signalfd for SIGTERM and SIGINT) ends
// the process at once with status 0, wherever the saver is waiting.
int RunSaver(const linux_saver::Options& options, int signal_fd);

}  // namespace varominea::x11
