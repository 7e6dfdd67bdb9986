// Reading the saver's frames back from the screen: which frame number a
// still picture shows, sampled at whole pixels inside single cells, with the
// saver's thread held still while the picture is taken.
#pragma once

#include <windows.h>

#include <bitset>
#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

#include "tests/support/cells.h"
#include "tests/support/screen_win.h"

namespace test {

// A thread suspended for as long as this lives (GetThreadContext returns
// only once it has really stopped), and the X server given time to finish
// what it was sent before the stop.
class Frozen {
 public:
  explicit Frozen(HANDLE thread);
  Frozen(const Frozen&) = delete;
  Frozen& operator=(const Frozen&) = delete;
  ~Frozen();

 private:
  HANDLE thread_;
};

// Samples of the cells (x, y) of a drawing area at `display` (screen
// pixels) that are on the screen and for which `include` holds.
std::vector<CellSample> SampleCells(RECT display, const std::function<bool(int, int)>& include,
                                    std::uint8_t (*start)(int, int));

// The frame numbers n (mod 256) at which every sample shows the palette
// colour of (start - n) mod 256.
std::bitset<256> ConsistentFrames(const std::vector<CellSample>& samples, const ScreenShot& shot);

// Non-black whole pixels of the screen inside the drawing area's columns x
// rows (relative to `display`), or, with inside false, outside them.
int NonBlack(const ScreenShot& shot, RECT display, Span columns, Span rows, bool inside = true);
// Non-black pixels anywhere outside the drawing area.
int NonBlackOutside(const ScreenShot& shot, RECT display);

// Counts the frames the square pattern shows in a drawing area at
// `display`, from still pictures of four cells of its row 128 (their values
// 250, 211, 161 and 123 lie far enough apart that together they fix the
// frame number mod 256). Frames only go forward, so each reading adds the
// forward distance from the one before: a lower bound if 256 frames pass
// between two readings.
class FrameCounter {
 public:
  explicit FrameCounter(RECT display);
  bool ready() const { return cells_.size() == 4; }
  // Reads the screen until `target` frames have been counted, `limit` has
  // passed or `running` says no more; whether the target was reached.
  bool CountUntil(long long target, std::chrono::milliseconds limit,
                  const std::function<bool()>& running);
  long long frames() const { return frames_; }

 private:
  std::vector<CellSample> cells_;
  long long frames_ = 0;
  int last_ = -1;
};

}  // namespace test
