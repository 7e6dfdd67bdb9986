// The real saver on a headless sway of the test's own, with two outputs of
// different sizes: every output's picture read back and checked cell by
// cell, and every way it ends.
#include <gtest/gtest.h>

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
// coordinates; the picture still covers the output pixel for pixel.
TEST_F(WaylandSaverTest, AScaledOutputGetsThePictureInItsPhysicalPixels) {
  Process saver = session_->StartSaver({"--size", "640x480"});
  ASSERT_TRUE(saver.started());
  const OutputSpec& output = kOutputs[1];
  ASSERT_EQ(session_->Swaymsg({"output", output.name, "scale", "2"}), 0);
  EXPECT_EQ(Joined(CheckOutput(*session_, output, {192, 144, 640, 480})), "")
      << saver.ErrorOutput();
  ASSERT_EQ(session_->Swaymsg({"output", output.name, "scale", "1"}), 0);
  EXPECT_EQ(Joined(CheckOutput(*session_, output, {192, 144, 640, 480})), "");
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

TEST_F(WaylandSaverTest, NoCompositorIsOneLineAndStatusOne) {
  Process saver({VAROMINEA_SAVER, "--wayland"},
                {"WAYLAND_DISPLAY=varominea-no-such-socket",
                 "XDG_RUNTIME_DIR=" + std::filesystem::temp_directory_path().string()});
  ASSERT_TRUE(saver.started());
  EXPECT_EQ(saver.WaitExit(10s), std::optional<int>(1));
  const std::string error = saver.ErrorOutput();
  EXPECT_NE(error.find("Wayland"), std::string::npos) << error;
  EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1) << error;
}

}  // namespace
