// What the system says about motion and the display's refresh, and the
// waits that pace a loop to it.
#pragma once

#include <windows.h>

#include <chrono>

namespace platform {

// Whether the system's animation effects are on (Settings, Accessibility,
// Visual effects); on when the system cannot say.
bool AnimationEffectsOn();

// The primary monitor's refresh rate in Hz; 0 when the system does not say.
int PrimaryRefreshHz();

// Whether a compositor presents the desktop.
bool DesktopComposed();

// Returns when the compositor has presented its next frame.
void WaitForComposition();

// Returns when a message arrives for this thread, or after `longest`.
void WaitForMessages(std::chrono::nanoseconds longest);

// The system's timers tick every millisecond while this lives, so that
// short waits end when asked, not at the next coarse tick.
class FineTimerResolution {
 public:
  FineTimerResolution();
  FineTimerResolution(const FineTimerResolution&) = delete;
  FineTimerResolution& operator=(const FineTimerResolution&) = delete;
  ~FineTimerResolution();

 private:
  bool active_;
};

}  // namespace platform
