// Waiting in a test: one poll loop for every test program, natively and on
// Windows. On Windows each poll first serves this thread's messages, so the
// test's own windows (a preview host, a dialog under test) keep answering
// while the test waits for them or for another process.
#pragma once

#ifdef _WIN32
#include <windows.h>
#endif

#include <chrono>
#include <thread>

namespace test {

using namespace std::chrono_literals;

#ifdef _WIN32
// Dispatches every message waiting for this thread.
inline void PumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}
#endif

// Polls until the condition holds (true) or the time is up (false); the
// condition is checked at least once, so a timeout of zero still checks.
template <class Condition>
bool WaitUntil(Condition&& condition, std::chrono::milliseconds timeout,
               std::chrono::milliseconds step = 10ms) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  for (;;) {
#ifdef _WIN32
    PumpMessages();
#endif
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(step);
  }
}

// Serves this thread's messages (on Windows) for the whole time.
inline void PumpFor(std::chrono::milliseconds time) {
  WaitUntil([] { return false; }, time);
}

}  // namespace test
