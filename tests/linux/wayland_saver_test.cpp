// The real saver on a headless sway of the test's own, with two outputs of
// different sizes: every output's picture read back and checked cell by
// cell, and every way it ends.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>

#include "linux/file_descriptor.h"
#include "tests/linux/wayland_session.h"

namespace {

using namespace wltest;

constexpr OutputSpec kOutputs[] = {{"HEADLESS-1", 800, 600}, {"HEADLESS-2", 1024, 768}};

class WaylandSaverTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (access("/usr/bin/sway", X_OK) != 0) return;
    session_ = new CompositorSession({std::begin(kOutputs), std::end(kOutputs)});
  }
  static void TearDownTestSuite() {
    delete session_;
    session_ = nullptr;
  }
  void SetUp() override {
    if (session_ == nullptr) GTEST_SKIP() << "sway is not installed";
    if (!session_->ready()) GTEST_FAIL() << "sway did not start:\n" << session_->Log();
  }

  static CompositorSession* session_;
};
CompositorSession* WaylandSaverTest::session_ = nullptr;

// Reads the output back until its picture shows the saver's frame (the first
// commits may still be on their way), and reports what is still wrong.
std::vector<std::string> CheckOutput(const CompositorSession& session, const OutputSpec& output,
                                     test::Area area) {
  const auto samples = test::SampleCells(
      area.left, area.top, area.width, area.height, [](int, int) { return true; },
      test::SquareStart,
      [&](int x, int y) { return x >= 0 && y >= 0 && x < output.width && y < output.height; });
  std::vector<std::string> faults{"no picture read back"};
  WaitUntil(
      [&] {
        const auto shot = session.Screenshot(output.name);
        if (!shot) return false;
        if (shot->width() != output.width || shot->height() != output.height) {
          faults = {"picture is " + std::to_string(shot->width()) + " x " +
                    std::to_string(shot->height())};
          return false;
        }
        faults = test::FrameFaults(
            output.width, output.height, [&](int x, int y) { return shot->at(x, y); }, area,
            samples);
        return faults.empty();
      },
      10s);
  return faults;
}

// A socket where a compositor's would be that never answers as one.
enum class Silence {
  NeverAccepts,   // the connection waits in the queue
  QueueFull,      // the queue is full: connecting waits
  AcceptsSilent,  // accepted, nothing said
  Garbage,        // accepted, bytes that are no Wayland message
};

class SilentSocket {
 public:
  explicit SilentSocket(Silence kind) : kind_(kind) {
    char pattern[] = "/tmp/varominea-silent-XXXXXX";
    if (mkdtemp(pattern) == nullptr) return;
    dir_ = pattern;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = (dir_ / "wayland-silent").string();
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    listening_ = Socket();
    const auto* named = reinterpret_cast<const sockaddr*>(&address);
    if (bind(listening_.get(), named, sizeof address) != 0 ||
        listen(listening_.get(), kind == Silence::QueueFull ? 0 : 4) != 0) {
      return;
    }
    // A queue of one, taken by a connection of the test's own: the saver's
    // connect waits for room.
    if (kind == Silence::QueueFull) {
      waiting_.push_back(Socket(SOCK_NONBLOCK));
      if (connect(waiting_.back().get(), named, sizeof address) != 0) return;
    }
    path_ = path;
  }
  SilentSocket(const SilentSocket&) = delete;
  SilentSocket& operator=(const SilentSocket&) = delete;
  ~SilentSocket() {
    std::error_code ignored;
    if (!dir_.empty()) fs::remove_all(dir_, ignored);
  }

  const std::string& path() const { return path_; }

  // Takes the saver's connection where this kind accepts it; false when it
  // did not come.
  bool Serve() {
    if (kind_ != Silence::AcceptsSilent && kind_ != Silence::Garbage) return true;
    pollfd incoming{listening_.get(), POLLIN, 0};
    if (poll(&incoming, 1, 10'000) != 1) return false;
    waiting_.emplace_back(accept4(listening_.get(), nullptr, nullptr, SOCK_CLOEXEC));
    if (kind_ == Silence::Garbage) {
      std::string bytes(4096, '\0');
      for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 37 + 11);
      [[maybe_unused]] const ssize_t sent =
          send(waiting_.back().get(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
    }
    return waiting_.back().get() >= 0;
  }

 private:
  static varominea::linux_saver::FileDescriptor Socket(int flags = 0) {
    return varominea::linux_saver::FileDescriptor(
        socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | flags, 0));
  }

  Silence kind_;
  fs::path dir_;
  std::string path_;
  varominea::linux_saver::FileDescriptor listening_;
  std::vector<varominea::linux_saver::FileDescriptor> waiting_;
};

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\n";
  return text;
}

TEST_F(WaylandSaverTest, EveryOutputShowsItsOwnWholePicture) {
  const struct {
    const char* size;
    int width, height;  // 0: the output's own
  } looks[] = {{"full", 0, 0}, {"640x480", 640, 480}, {"800x600", 800, 600}};
  for (const auto& look : looks) {
    SCOPED_TRACE(std::string("--size ") + look.size);
    Process saver = session_->StartSaver({"--size", look.size});
    ASSERT_TRUE(saver.started());
    for (const auto& output : kOutputs) {
      SCOPED_TRACE(output.name);
      const int w = look.width != 0 ? look.width : output.width;
      const int h = look.height != 0 ? look.height : output.height;
      // Centred as the Windows saver centres its picture.
      const test::Area area{*varominea::CentredPixel(static_cast<std::int16_t>(output.width),
                                                     static_cast<std::int16_t>(w)),
                            *varominea::CentredPixel(static_cast<std::int16_t>(output.height),
                                                     static_cast<std::int16_t>(h)),
                            w, h};
      EXPECT_EQ(Joined(CheckOutput(*session_, output, area)), "") << saver.ErrorOutput();
    }
    EXPECT_TRUE(saver.running()) << saver.ErrorOutput();
  }
}

// sway 1.7's headless backend cannot switch an output off or unplug it
// ("Failed to commit output"), so outputs going away are covered by the
// output list's own test only.
TEST_F(WaylandSaverTest, AnOutputAddedWhileRunningGetsAPictureAndFollowsItsSize) {
  Process saver = session_->StartSaver({});
  ASSERT_TRUE(saver.started());
  ASSERT_EQ(Joined(CheckOutput(*session_, kOutputs[0], {0, 0, 800, 600})), "");
  // A new output, then a new size for it: its surface follows both.
  ASSERT_EQ(session_->Swaymsg({"create_output"}), 0);
  const OutputSpec added{"HEADLESS-3", 1280, 720};
  ASSERT_EQ(session_->Swaymsg({"output", added.name, "resolution", "1280x720"}), 0);
  EXPECT_EQ(Joined(CheckOutput(*session_, added, {0, 0, added.width, added.height})), "")
      << saver.ErrorOutput();
  // The others are left as they were.
  EXPECT_EQ(Joined(CheckOutput(*session_, kOutputs[1], {0, 0, 1024, 768})), "");
  EXPECT_TRUE(saver.running()) << saver.ErrorOutput();
}

// At output scale 2 the surface is half the output's size in surface
// coordinates, at 1.6 and 1.28 it is 640 x 480 and 800 x 600 (sway 1.7 offers
// a viewporter but no fractional scale); the picture still covers the
// output pixel for pixel.
TEST_F(WaylandSaverTest, AScaledOutputGetsThePictureInItsPhysicalPixels) {
  Process saver = session_->StartSaver({"--size", "640x480"});
  ASSERT_TRUE(saver.started());
  const OutputSpec& output = kOutputs[1];
  for (const char* scale : {"2", "1.6", "1.28", "1"}) {
    SCOPED_TRACE(std::string("scale ") + scale);
    ASSERT_EQ(session_->Swaymsg({"output", output.name, "scale", scale}), 0);
    EXPECT_EQ(Joined(CheckOutput(*session_, output, {192, 144, 640, 480})), "")
        << saver.ErrorOutput();
  }
  EXPECT_TRUE(saver.running()) << saver.ErrorOutput();
}

TEST_F(WaylandSaverTest, AKeyEndsItWithStatusZero) {
  Process saver = session_->StartSaver({});
  ASSERT_TRUE(saver.started());
  ASSERT_EQ(Joined(CheckOutput(*session_, kOutputs[0], {0, 0, 800, 600})), "");
  // The virtual keyboard must reach the saver's seat before the key goes
  // down: wtype waits half a second after making it.
  EXPECT_EQ(session_->Run({"/usr/bin/wtype", "-s", "500", "x"}), 0);
  EXPECT_EQ(saver.WaitExit(10s), std::optional<int>(0)) << saver.ErrorOutput();
}

// A session of its own, with one output, so that pointer positions are
// that output's pixels.
TEST_F(WaylandSaverTest, AButtonOrARealPointerMoveEndsIt) {
  const OutputSpec output{"HEADLESS-1", 800, 600};
  CompositorSession own({output});
  ASSERT_TRUE(own.ready()) << own.Log();
  const auto pointer = [&](const std::vector<std::string>& steps) {
    // The saver's seat gets the new pointer before it moves.
    std::vector<std::string> all{"wait", "500"};
    all.insert(all.end(), steps.begin(), steps.end());
    all.insert(all.end(), {"wait", "300"});
    return own.Pointer(output.width, output.height, all);
  };
  {
    SCOPED_TRACE("moves over the picture");
    // Where the pointer is when the saver first sees it: the position it
    // records.
    ASSERT_EQ(pointer({"move", "400", "300"}), 0);
    Process saver = own.StartSaver({});
    ASSERT_EQ(Joined(CheckOutput(own, output, {0, 0, 800, 600})), "");
    // A move along a row, and one back to the recorded column, keep one
    // coordinate and do not end it.
    ASSERT_EQ(pointer({"move", "500", "300", "wait", "200", "move", "400", "350"}), 0);
    EXPECT_TRUE(saver.running()) << saver.ErrorOutput();
    ASSERT_EQ(pointer({"move", "450", "330"}), 0);
    EXPECT_EQ(saver.WaitExit(10s), std::optional<int>(0)) << saver.ErrorOutput();
  }
  {
    SCOPED_TRACE("the black margin");
    Process saver = own.StartSaver({"--size", "640x480"});
    ASSERT_EQ(Joined(CheckOutput(own, output, {80, 60, 640, 480})), "");
    ASSERT_EQ(pointer({"move", "10", "10", "wait", "200", "move", "30", "40", "wait", "200", "move",
                       "790", "590"}),
              0);
    EXPECT_TRUE(saver.running()) << saver.ErrorOutput();
    ASSERT_EQ(pointer({"click"}), 0);
    EXPECT_EQ(saver.WaitExit(10s), std::optional<int>(0)) << saver.ErrorOutput();
  }
  {
    // Depends on the compositor: sway re-places a resting pointer (an enter
    // or a motion) when its output is resized, re-scaled or moved.
    SCOPED_TRACE("a resting pointer the compositor moves");
    Process resting = own.StartPointer(
        output.width, output.height,
        {"wait", "500", "move", "700", "500", "hold", "move", "300", "200", "wait", "300"});
    ASSERT_TRUE(
        WaitUntil([&] { return resting.ErrorOutput().find("holding") != std::string::npos; }, 10s))
        << resting.ErrorOutput();
    Process saver = own.StartSaver({});
    ASSERT_EQ(Joined(CheckOutput(own, output, {0, 0, 800, 600})), "");
    for (const std::vector<std::string>& change :
         {std::vector<std::string>{"resolution", "640x480"},
          {"scale", "2"},
          {"scale", "1.5"},
          {"position", "100", "50"},
          {"resolution", "800x600", "scale", "1", "position", "0", "0"}}) {
      SCOPED_TRACE(change.front() + " " + change.at(1));
      std::vector<std::string> command{"output", output.name};
      command.insert(command.end(), change.begin(), change.end());
      ASSERT_EQ(own.Swaymsg(command), 0);
      std::this_thread::sleep_for(200ms);
      ASSERT_TRUE(saver.running()) << saver.ErrorOutput();
    }
    // A real move still ends it.
    resting.Signal(SIGUSR1);
    EXPECT_EQ(saver.WaitExit(10s), std::optional<int>(0)) << saver.ErrorOutput();
    EXPECT_EQ(resting.WaitExit(10s), std::optional<int>(0)) << resting.ErrorOutput();
  }
}

TEST_F(WaylandSaverTest, SigtermAndSigintEndItWithStatusZero) {
  for (const int signal : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(signal);
    Process saver = session_->StartSaver({"--pattern", "ring"});
    ASSERT_TRUE(saver.started());
    std::this_thread::sleep_for(500ms);
    saver.Signal(signal);
    EXPECT_EQ(saver.WaitExit(10s), std::optional<int>(0)) << saver.ErrorOutput();
  }
}

// A compositor that does not answer: sway stopped, or a socket that never
// accepts, cannot queue the connection, accepts and says nothing, or sends
// garbage. SIGTERM and SIGINT end the saver at once all the same, start-up
// round trips included; without one it gives up after a few seconds.
TEST_F(WaylandSaverTest, SignalsEndItAtOnceWhileTheCompositorDoesNotAnswer) {
  const auto ends_at_once = [](Process& saver, int signal) {
    std::this_thread::sleep_for(300ms);
    ASSERT_TRUE(saver.running()) << saver.ErrorOutput();
    const auto sent = std::chrono::steady_clock::now();
    saver.Signal(signal);
    EXPECT_EQ(saver.WaitExit(5s), std::optional<int>(0)) << saver.ErrorOutput();
    EXPECT_LT(std::chrono::steady_clock::now() - sent, 1s);
  };
  const auto start = [](const SilentSocket& socket) {
    return Process({VAROMINEA_SAVER, "--wayland"}, {"WAYLAND_DISPLAY=" + socket.path()});
  };
  // Without a signal it gives up by itself: started first, it waits out its
  // limit while the others run.
  SilentSocket unanswered(Silence::AcceptsSilent);
  Process waiting = start(unanswered);
  ASSERT_TRUE(unanswered.Serve());
  const auto waiting_since = std::chrono::steady_clock::now();
  {
    SCOPED_TRACE("sway stopped");
    const CompositorSession::Paused paused(*session_);
    Process saver = session_->StartSaver({});
    ends_at_once(saver, SIGTERM);
  }
  const struct {
    Silence kind;
    int signal;
  } cases[] = {{Silence::NeverAccepts, SIGINT},
               {Silence::QueueFull, SIGTERM},
               {Silence::AcceptsSilent, SIGTERM},
               {Silence::Garbage, SIGINT}};
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.kind));
    SilentSocket socket(c.kind);
    ASSERT_FALSE(socket.path().empty());
    Process saver = start(socket);
    ASSERT_TRUE(socket.Serve());
    ends_at_once(saver, c.signal);
  }
  SCOPED_TRACE("no signal");
  EXPECT_EQ(waiting.WaitExit(10s), std::optional<int>(1));
  EXPECT_GT(std::chrono::steady_clock::now() - waiting_since, 3s) << "a few seconds, not at once";
  const std::string error = waiting.ErrorOutput();
  EXPECT_NE(error.find("did not answer"), std::string::npos) << error;
  EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1) << error;
}

// A session of its own, since it ends the compositor.
TEST_F(WaylandSaverTest, TheCompositorGoingAwayEndsIt) {
  CompositorSession own({{"HEADLESS-1", 640, 480}});
  ASSERT_TRUE(own.ready()) << own.Log();
  Process saver = own.StartSaver({});
  ASSERT_TRUE(saver.started());
  ASSERT_EQ(Joined(CheckOutput(own, {"HEADLESS-1", 640, 480}, {0, 0, 640, 480})), "");
  own.Stop();
  const auto status = saver.WaitExit(10s);
  ASSERT_TRUE(status.has_value()) << "still running after the compositor ended";
  EXPECT_EQ(*status, 1);
  EXPECT_NE(saver.ErrorOutput().find("compositor"), std::string::npos) << saver.ErrorOutput();
}

// Without the layer shell: a fullscreen xdg-shell toplevel, paced by the
// compositor's frame callbacks like the overlay surfaces.
TEST_F(WaylandSaverTest, WithoutLayerShellAFullscreenToplevelRuns) {
  if (access("/usr/bin/weston", X_OK) != 0) GTEST_SKIP() << "weston is not installed";
  CompositorSession weston({{"headless", 800, 600}}, Compositor::Weston);
  ASSERT_TRUE(weston.ready()) << weston.Log();
  Process saver = weston.StartSaver({"--fps"});
  ASSERT_TRUE(saver.started());
  EXPECT_TRUE(WaitUntil(
      [&] { return saver.ErrorOutput().find("frames per second") != std::string::npos; }, 10s))
      << saver.ErrorOutput();
  EXPECT_EQ(saver.ErrorOutput().find("layer-shell"), std::string::npos) << saver.ErrorOutput();
  ASSERT_TRUE(saver.running()) << saver.ErrorOutput();
  saver.Signal(SIGTERM);
  EXPECT_EQ(saver.WaitExit(10s), std::optional<int>(0)) << saver.ErrorOutput();
}

// Whatever libwayland finds wrong, one line of the saver's own, of a length
// a person reads.
TEST_F(WaylandSaverTest, NoCompositorIsOneLineAndStatusOne) {
  const std::string runtime_dir = "XDG_RUNTIME_DIR=" + fs::temp_directory_path().string();
  const struct {
    const char* what;
    std::vector<std::string> command_prefix;
    std::vector<std::string> env;
  } cases[] = {
      {"no such socket", {}, {"WAYLAND_DISPLAY=varominea-no-such-socket", runtime_dir}},
      {"XDG_RUNTIME_DIR unset",
       {"/usr/bin/env", "-u", "XDG_RUNTIME_DIR"},
       {"WAYLAND_DISPLAY=wayland-0"}},
      {"a 5,000-character WAYLAND_DISPLAY",
       {},
       {"WAYLAND_DISPLAY=" + std::string(5000, 'w'), runtime_dir}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> command = c.command_prefix;
    command.insert(command.end(), {VAROMINEA_SAVER, "--wayland"});
    Process saver(command, c.env);
    ASSERT_TRUE(saver.started());
    EXPECT_EQ(saver.WaitExit(10s), std::optional<int>(1));
    const std::string error = saver.ErrorOutput();
    EXPECT_NE(error.find("Wayland"), std::string::npos) << error;
    EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1) << error;
    EXPECT_LT(error.size(), 200u) << error;
  }
}

}  // namespace
