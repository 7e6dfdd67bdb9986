#include "windows/platform/refresh_win.h"

#include <dwmapi.h>
#include <mmsystem.h>

namespace platform {

bool AnimationEffectsOn() {
  BOOL on = TRUE;
  if (!SystemParametersInfoW(SPI_GETCLIENTAREAANIMATION, 0, &on, 0)) return true;
  return on != FALSE;
}

int PrimaryRefreshHz() {
  DEVMODEW mode{};
  mode.dmSize = sizeof mode;
  if (!EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode)) return 0;
  if ((mode.dmFields & DM_DISPLAYFREQUENCY) == 0) return 0;
  return static_cast<int>(mode.dmDisplayFrequency);
}

bool DesktopComposed() {
  BOOL composed = FALSE;
  return SUCCEEDED(DwmIsCompositionEnabled(&composed)) && composed != FALSE;
}

void WaitForComposition() {
  DwmFlush();
}

void WaitForMessages(std::chrono::nanoseconds longest) {
  if (longest <= std::chrono::nanoseconds::zero()) return;
  // Whole milliseconds, rounded up, so that a wait of less than one still
  // sleeps instead of spinning.
  const auto ms = std::chrono::ceil<std::chrono::milliseconds>(longest).count();
  MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(ms), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

FineTimerResolution::FineTimerResolution() : active_(timeBeginPeriod(1) == TIMERR_NOERROR) {}

FineTimerResolution::~FineTimerResolution() {
  if (active_) timeEndPeriod(1);
}

}  // namespace platform
