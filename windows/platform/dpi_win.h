// The display density a window is shown at, and the frame and the work
// area that go with it.
#pragma once

#include <windows.h>

namespace platform {

// Dots per inch of the monitor the window is on (Windows 10: the window's
// own; Windows 8.1: its monitor's), or the system's on older systems and
// when the window is unknown. Never 0: 96 when nothing answers.
int DpiOfWindow(HWND window);

// The system's dots per inch (the screen's vertical density).
int SystemDpi();

// How much wider and taller than its client area the window is with its own
// styles at that density (AdjustWindowRectExForDpi where the system has it,
// else AdjustWindowRectEx at the system's density).
SIZE FrameExtent(HWND window, int dpi);

// The work area (the monitor without the task bar and other docked bars) of
// the monitor the window is on, or of the primary one when it is on none.
RECT WorkAreaOf(HWND window);

}  // namespace platform
