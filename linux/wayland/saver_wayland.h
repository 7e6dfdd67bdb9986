// The saver on a Wayland compositor: every output covered by a surface of
// its own showing the same field, frame step and palette as the X11 front end.
#pragma once

#include "linux/options.h"

namespace varominea::wayland {

// Runs until a signal arrives on `signal_fd` (a signalfd for SIGTERM and
// SIGINT), a key, a button or a real pointer move, the compositor closing a
// surface, or the connection ending. Returns the process's exit status: 0
// when it ended as a saver should.
int RunSaver(const linux_saver::Options& options, int signal_fd);

}  // namespace varominea::wayland
