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
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <bitset>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/patterns.h"
#include "core/pixel_field.h"
#include "core/placement.h"
#include "tests/support/cells.h"
#include "tests/support/wait.h"

extern char** environ;

namespace x11test {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr std::uint32_t kBlack = 0;
constexpr std::uint32_t kWhite = 0xFFFFFF;

using test::WaitUntil;

// ---------------------------------------------------------------- the display

struct DisplayCloser {
  void operator()(Display* d) const { XCloseDisplay(d); }
};

inline Display* TheDisplay() {
  static const std::unique_ptr<Display, DisplayCloser> display(XOpenDisplay(nullptr));
  return display.get();
}

// The kinds of window a host may hand the saver.
enum class WindowKind {
  Plain,           // the screen's default visual
  InputOnlyClass,  // no pixels at all
  Argb,            // a 32-bit visual with an alpha channel, as compositing hosts make
};

// A window of the test's own, white (and opaque) until something draws over
// it. An Argb window is not made (id() 0) where the server has no such visual.
class TestWindow {
 public:
  TestWindow(int width, int height, WindowKind kind = WindowKind::Plain) {
    Display* const d = TheDisplay();
    const auto w = static_cast<unsigned>(width), h = static_cast<unsigned>(height);
    if (kind == WindowKind::Plain) {
      window_ = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, w, h, 0, kWhite, kWhite);
    } else if (kind == WindowKind::InputOnlyClass) {
      XSetWindowAttributes attributes{};
      window_ = XCreateWindow(d, DefaultRootWindow(d), 0, 0, w, h, 0, 0, InputOnly, CopyFromParent,
                              0, &attributes);
    } else {
      XVisualInfo info{};
      if (XMatchVisualInfo(d, DefaultScreen(d), 32, TrueColor, &info) == 0) return;
      colormap_ = XCreateColormap(d, DefaultRootWindow(d), info.visual, AllocNone);
      XSetWindowAttributes attributes{};
      attributes.colormap = colormap_;
      attributes.background_pixel = 0xFFFFFFFF;
      attributes.border_pixel = 0;
      window_ = XCreateWindow(d, DefaultRootWindow(d), 0, 0, w, h, 0, 32, InputOutput, info.visual,
                              CWColormap | CWBackPixel | CWBorderPixel, &attributes);
    }
    XMapWindow(d, window_);
    XSync(d, False);
  }
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;
  ~TestWindow() {
    Destroy();
    if (colormap_ != 0) XFreeColormap(TheDisplay(), colormap_);
  }

  void Destroy() {
    if (window_ != 0) {
      XDestroyWindow(TheDisplay(), window_);
      XSync(TheDisplay(), False);
      window_ = 0;
    }
  }
  void Resize(int width, int height) {
    XResizeWindow(TheDisplay(), window_, static_cast<unsigned>(width),
                  static_cast<unsigned>(height));
    XSync(TheDisplay(), False);
  }
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
  ServerGrab() {
    XGrabServer(TheDisplay());
    XSync(TheDisplay(), False);
  }
  ServerGrab(const ServerGrab&) = delete;
  ServerGrab& operator=(const ServerGrab&) = delete;
  ~ServerGrab() {
    XUngrabServer(TheDisplay());
    XSync(TheDisplay(), False);
  }
};

// A window's pixels as 0xRRGGBB (the virtual display is 24-bit true colour);
// with `bits` all ones, as the window stores them (alpha included).
class Picture {
 public:
  Picture(Window window, int width, int height, std::uint32_t bits = 0xFFFFFF)
      : width_(width), height_(height) {
    XImage* image = XGetImage(TheDisplay(), window, 0, 0, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (image == nullptr) return;
    pixels_.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        pixels_[Index(x, y)] = static_cast<std::uint32_t>(XGetPixel(image, x, y)) & bits;
      }
    }
    XDestroyImage(image);
  }
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

// The saver (or any program) as a child process, killed if still running
// when this goes. Its standard error goes to a file the test can read.
class Process {
 public:
  Process(const std::vector<std::string>& args, const std::vector<std::string>& extra_env = {},
          bool capture_stderr = true) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<std::string> env_text(extra_env);
    for (char** e = environ; *e != nullptr; ++e) {
      const std::string_view entry(*e);
      bool replaced = false;
      for (const auto& extra : extra_env) {
        replaced |= entry.substr(0, entry.find('=') + 1) == extra.substr(0, extra.find('=') + 1);
      }
      if (!replaced) env_text.emplace_back(entry);
    }
    std::vector<char*> envp;
    for (auto& e : env_text) envp.push_back(e.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (capture_stderr) {
      stderr_path_ = fs::temp_directory_path() / ("varominea-stderr-" + std::to_string(getpid()) +
                                                  "-" + std::to_string(++counter_));
      posix_spawn_file_actions_addopen(&actions, 2, stderr_path_.c_str(),
                                       O_WRONLY | O_CREAT | O_TRUNC, 0644);
    }
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid_ = 0;
    posix_spawn_file_actions_destroy(&actions);
  }
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  ~Process() {
    if (pid_ != 0 && !status_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (!stderr_path_.empty()) fs::remove(stderr_path_);
  }

  bool started() const { return pid_ != 0; }
  pid_t pid() const { return pid_; }
  void Signal(int signal) const { kill(pid_, signal); }

  // The exit status once it has ended within `limit`; -1 after a signal.
  std::optional<int> WaitExit(std::chrono::milliseconds limit) {
    WaitUntil(
        [&] {
          int status = 0;
          if (!status_ && waitpid(pid_, &status, WNOHANG) == pid_) {
            status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
          }
          return status_.has_value();
        },
        limit);
    return status_;
  }
  bool running() {
    int status = 0;
    if (!status_ && waitpid(pid_, &status, WNOHANG) == pid_) {
      status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return !status_;
  }
  std::string ErrorOutput() const {
    std::ifstream in(stderr_path_);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

 private:
  static inline int counter_ = 0;
  pid_t pid_ = 0;
  std::optional<int> status_;
  fs::path stderr_path_;
};

inline Process StartSaver(std::vector<std::string> args, const std::vector<std::string>& env = {}) {
  args.insert(args.begin(), VAROMINEA_X11_SAVER);
  return Process(args, env);
}

// Stopped between two frames for as long as this lives. Every frame is one
// put request that the saver waits on before stepping again, so once the
// server has caught up the window shows exactly one frame.
class Frozen {
 public:
  explicit Frozen(const Process& process) : process_(process) {
    process_.Signal(SIGSTOP);
    std::this_thread::sleep_for(150ms);
    XSync(TheDisplay(), False);
  }
  Frozen(const Frozen&) = delete;
  Frozen& operator=(const Frozen&) = delete;
  ~Frozen() { process_.Signal(SIGCONT); }

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
inline std::vector<CellSample> SampleCells(Rect area, int window_width, int window_height,
                                           bool (*include)(int, int),
                                           std::uint8_t (*start)(int, int)) {
  return test::SampleCells(
      area.left, area.top, area.width, area.height, include, start,
      [&](int x, int y) { return x >= 0 && y >= 0 && x < window_width && y < window_height; });
}

// The frame numbers n (mod 256) at which every sample shows palette[(start - n) mod 256].
inline std::bitset<256> ConsistentFrames(const std::vector<CellSample>& samples,
                                         const Picture& shot) {
  return test::ConsistentFrames(samples, [&](int x, int y) { return shot.at(x, y); });
}

// Pixels that are not black: wholly inside the area's columns x rows, or
// (with inside false) wholly outside the area.
inline int NonBlack(const Picture& shot, Rect area, test::Span columns, test::Span rows,
                    bool inside = true) {
  return test::NonBlackPixels(
      shot.width(), shot.height(), [&](int x, int y) { return shot.at(x, y); },
      {area.left, area.top, area.width, area.height}, columns, rows, inside);
}

inline bool ShowsFrames(Window window, Rect area) {
  const int x = area.left + area.width / 2, y = area.top + area.height / 2;
  return WaitUntil(
      [&] {
        const Picture p(window, x + 1, y + 1);
        return p.valid() && p.at(x, y) != kWhite && p.at(x, y) != kBlack;
      },
      10s);
}

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
