// The frame rate that --fps shows: once a second, the frames counted since
// the last report, on standard error.
#pragma once

#include <chrono>
#include <cstdio>

namespace varominea::linux_saver {

class FrameRateReport {
 public:
  // Counting starts now; a report that is off counts nothing.
  void Start(bool on) {
    on_ = on;
    frames_ = 0;
    since_ = Clock::now();
  }

  void CountFrame() {
    if (!on_) return;
    ++frames_;
    const auto now = Clock::now();
    const std::chrono::duration<double> elapsed = now - since_;
    if (elapsed.count() >= 1.0) {
      std::fprintf(stderr, "varominea: %.1f frames per second\n",
                   static_cast<double>(frames_) / elapsed.count());
      frames_ = 0;
      since_ = now;
    }
  }

 private:
  using Clock = std::chrono::steady_clock;
  bool on_ = false;
  long frames_ = 0;
  Clock::time_point since_;
};

}  // namespace varominea::linux_saver
