// What the X11 saver's end-to-end tests share: the virtual display and
// windows of the test's own, the saver as a child process that can be held
// still, and the pictures it draws read back and checked cell by cell
// against the palette and the field.
#pragma once

#include <gtest/gtest.h>

// after GoogleTest: Xlib defines None and Bool as macros
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <pwd.h>
#include <signal.h>
#include <unistd.h>

#include <bitset>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/patterns.h"
#include "core/pixel_field.h"
#include "core/placement.h"
#include "tests/support/cells.h"
#include "tests/support/child_process.h"
#include "tests/support/wait.h"

namespace x11test {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr std::uint32_t kBlack = 0;
constexpr std::uint32_t kWhite = 0xFFFFFF;

using test::WaitUntil;

// ---------------------------------------------------------------- the display

// The test's own connection, for the whole test program.
Display* TheDisplay();

// The kinds of window a host may hand the saver.
enum class WindowKind {
  Plain,             // the screen's default visual
  InputOnlyClass,    // no pixels at all
  Argb,              // a 32-bit visual with an alpha channel, as compositing hosts make
  DirectColorClass,  // a 24-bit direct-colour visual with an empty colormap of its own
};

// A window of the test's own, white (and opaque) until something draws over
// it (a DirectColor one shows black: its colormap holds nothing). An Argb or
// DirectColor window is not made (id() 0) where the server has no such visual.
class TestWindow {
 public:
  TestWindow(int width, int height, WindowKind kind = WindowKind::Plain);
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;
  ~TestWindow();

  void Destroy();
  void Resize(int width, int height);
  Window id() const { return window_; }
  std::string IdText() const { return std::to_string(window_); }

 private:
  Window window_ = 0;
  Colormap colormap_ = 0;
};

// The server grabbed by the test's own connection for as long as this
// lives: every other client's requests wait, as under a host that grabs it.
class ServerGrab {
 public:
  ServerGrab();
  ServerGrab(const ServerGrab&) = delete;
  ServerGrab& operator=(const ServerGrab&) = delete;
  ~ServerGrab();
};

// A window's pixels as 0xRRGGBB as they are shown: on a direct-colour
// window through its colormap, else as stored (the virtual display is 24-bit
// true colour); with `bits` all ones, as the window stores them (alpha
// included).
class Picture {
 public:
  Picture(Window window, int width, int height, std::uint32_t bits = 0xFFFFFF);
  bool valid() const { return !pixels_.empty(); }
  std::uint32_t at(int x, int y) const { return pixels_[Index(x, y)]; }
  bool operator==(const Picture& other) const = default;
  int width() const { return width_; }
  int height() const { return height_; }

 private:
  std::size_t Index(int x, int y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
           static_cast<std::size_t>(x);
  }
  int width_, height_;
  std::vector<std::uint32_t> pixels_;
};

// ---------------------------------------------------------------- the process

using test::Process;

#ifdef VAROMINEA_X11_SAVER  // the saver program, as a test program's build names it
inline Process StartSaver(std::vector<std::string> args, const std::vector<std::string>& env = {}) {
  args.insert(args.begin(), VAROMINEA_X11_SAVER);
  return Process(args, env);
}
#endif

// Stopped between two frames for as long as this lives. Every frame is one
// put request that the saver waits on before stepping again, so once the
// server has caught up the window shows exactly one frame.
class Frozen {
 public:
  explicit Frozen(const Process& process);
  Frozen(const Frozen&) = delete;
  Frozen& operator=(const Frozen&) = delete;
  ~Frozen();

 private:
  const Process& process_;
};

// ---------------------------------------------------------------- the picture

using test::RingStart;
using test::RingUnsmoothed;
using test::SquareStart;

struct Rect {
  int left, top, width, height;
};

using test::CellSample;

// Samples of the cells (x, y) for which `include` holds that lie in the window.
std::vector<CellSample> SampleCells(Rect area, int window_width, int window_height,
                                    bool (*include)(int, int), std::uint8_t (*start)(int, int));

// The frame numbers n (mod 256) at which every sample shows palette[(start - n) mod 256].
std::bitset<256> ConsistentFrames(const std::vector<CellSample>& samples, const Picture& shot);

// Pixels that are not black: wholly inside the area's columns x rows, or
// (with inside false) wholly outside the area.
int NonBlack(const Picture& shot, Rect area, test::Span columns, test::Span rows,
             bool inside = true);

// Whether the middle of the area shows a frame (neither white nor black)
// within ten seconds.
bool ShowsFrames(Window window, Rect area);

// Stops the saver between frames, up to a few times, until one picture shows
// a single frame number on every sample; checks the strips and the margins
// every time.
inline void ExpectOneFrame(const Process& saver, Window window, int width, int height, Rect area,
                           const std::vector<CellSample>& samples) {
  const auto blit = varominea::FrameBlitFor(static_cast<std::int16_t>(area.width),
                                            static_cast<std::int16_t>(area.height));
  ASSERT_GT(samples.size(), 50u);
  for (int attempt = 1;; ++attempt) {
    std::optional<Picture> shot;
    {
      Frozen frozen(saver);
      shot.emplace(window, width, height);
    }
    ASSERT_TRUE(shot->valid());
    EXPECT_EQ(NonBlack(*shot, area, test::LeftStripColumns(blit), {0, double(area.height)}), 0)
        << "left strip";
    EXPECT_EQ(NonBlack(*shot, area, {0, double(area.width)}, test::BottomStripRows(blit)), 0)
        << "bottom strip";
    EXPECT_EQ(NonBlack(*shot, area, {}, {}, false), 0) << "margin around the drawing area";
    if (ConsistentFrames(samples, *shot).any()) return;
    ASSERT_LT(attempt, 5) << "no single frame number explains the " << samples.size()
                          << " sampled cells in " << attempt << " pictures";
    std::this_thread::sleep_for(37ms * attempt);
  }
}

}  // namespace x11test
