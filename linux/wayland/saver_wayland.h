// The saver on a Wayland compositor: every output covered by a surface of
// its own showing the same field, frame step and palette as the X11 front end.
#pragma once

#include "linux/options.h"

namespace varominea::wayland {

// Runs until a key, a button or a real pointer move, the compositor closing
// a surface, or the connection ending, and returns the process's exit
// status: 0 when it ended as a saver should. A signal on `signal_fd` (a
// signalfd for SIGTERM and SIGINT) ends the process at once with status 0,
// wherever the saver is waiting; a compositor that does not answer the
// first round trips within 5 seconds ends it with status 1.
int RunSaver(const linux_saver::Options& options, int signal_fd);

}  // namespace varominea::wayland
