// The program as a whole: message pump, ending, screen, folder and the
// application-wide mouse cursor.
#pragma once

#include <windows.h>

#include <string>

namespace platform {

// Dispatches every message waiting for this thread, then returns.
void DoEvents();

// Starts COM on this thread, once, for the thread's life (pictures are
// decoded and accessible objects served through it); an apartment that
// already exists, of either kind, serves as well. False when COM cannot run.
bool EnsureComOnThisThread();

// Runs the message loop until no form of the program is left.
void RunUntilNoFormsLeft();

// Ends the program at once: no further handler runs and open windows go
// without their unload events. Tests replace the ending with a hook.
[[noreturn]] void EndProgram();
using EndProgramHook = void (*)();
void SetEndProgramHookForTests(EndProgramHook hook);  // hook must not return

// The primary screen's size in pixels and its density in dots per inch
// (96 when the system does not say).
struct ScreenMetrics {
  int width_px;
  int height_px;
  int dpi_x;
  int dpi_y;
};
ScreenMetrics Screen();

// The folder of the executable, without a trailing separator except at a
// drive root ("C:\").
std::wstring AppPath();

// The cursor that overrides every window's own (nullptr: none, each control
// shows its own cursor again).
void SetAppCursor(HCURSOR cursor);
HCURSOR AppCursor();

// The program's own module, whose resources and window classes it uses.
HINSTANCE Instance();

}  // namespace platform
