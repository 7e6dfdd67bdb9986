// The display density a window is shown at.
#pragma once

#include <windows.h>

namespace platform {

// Dots per inch of the monitor the window is on (Windows 10: the window's
// own; Windows 8.1: its monitor's), or the system's on older systems and
// when the window is unknown. Never 0: 96 when nothing answers.
int DpiOfWindow(HWND window);

// The system's dots per inch (the screen's vertical density).
int SystemDpi();

}  // namespace platform
