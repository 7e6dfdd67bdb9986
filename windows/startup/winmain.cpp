// The executable's entry point: runs Main, then the message loop for as long
// as a window of the program is left.
#include <windows.h>

#include "windows/platform/app_win.h"
#include "windows/startup/main_win.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  try {
    varominea::Main();
    platform::RunUntilNoFormsLeft();
  } catch (...) {
    // An unexpected failure ends the program quietly, with no message box.
  }
  return 0;
}
