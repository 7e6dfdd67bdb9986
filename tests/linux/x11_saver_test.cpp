// The real X11 saver started as a process on a virtual display (run through
// tools/wine-run.sh --native): where it draws, what its pixels show, how it
// follows a resized window, and how it ends.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/x11_probe.h"

namespace {

using namespace x11test;

// ---------------------------------------------------------------- tests

class X11SaverTest : public testing::Test {
 protected:
  void SetUp() override {
    if (TheDisplay() == nullptr) GTEST_FAIL() << "no X display (run through wine-run.sh --native)";
  }
};

TEST_F(X11SaverTest, DrawsTheFieldWhereAndAsTheWindowsSaverDoes) {
  enum class Host { WindowId, Environment };
  const struct {
    int width, height;
    const char* size;
    const char* pattern;
    Host host;
    Rect area;
    WindowKind kind = WindowKind::Plain;
  } looks[] = {
      {1000, 700, "full", "square", Host::WindowId, {0, 0, 1000, 700}},
      {1000, 700, "800x600", "square", Host::Environment, {100, 50, 800, 600}},
      {1000, 700, "full", "ring", Host::WindowId, {0, 0, 1000, 700}},
      {1000, 700, "800x600", "ring", Host::WindowId, {100, 50, 800, 600}},
      // Larger than the window: centred and cut off.
      {640, 480, "800x600", "square", Host::WindowId, {-80, -60, 800, 600}},
      // Odd and smaller than the field.
      {201, 133, "full", "square", Host::Environment, {0, 0, 201, 133}},
      // A host's direct-colour window, its colormap left empty: black unless
      // the saver fills it.
      {700,
       520,
       "640x480",
       "square",
       Host::Environment,
       {30, 20, 640, 480},
       WindowKind::DirectColorClass},
  };
  for (const auto& look : looks) {
    SCOPED_TRACE(testing::Message() << look.width << " x " << look.height << ", --size "
                                    << look.size << ", --pattern " << look.pattern);
    TestWindow window(look.width, look.height, look.kind);
    ASSERT_NE(window.id(), 0u) << "the X server offers no such visual";
    std::vector<std::string> args = {"--size", look.size, "--pattern", look.pattern};
    std::vector<std::string> env;
    if (look.host == Host::WindowId) {
      args.insert(args.end(), {"--window-id", window.IdText()});
    } else {
      // As the hosts start it: --root, with the window in the environment.
      args.push_back("--root");
      env.push_back("XSCREENSAVER_WINDOW=0x" + [&] {
        std::ostringstream hex;
        hex << std::hex << window.id();
        return hex.str();
      }());
    }
    Process saver = StartSaver(args, env);
    ASSERT_TRUE(saver.started());
    ASSERT_TRUE(ShowsFrames(window.id(), look.area)) << saver.ErrorOutput();
    const bool squares = std::string_view(look.pattern) == "square";
    const auto samples = SampleCells(look.area, look.width, look.height,
                                     squares ? [](int, int) { return true; } : RingUnsmoothed,
                                     squares ? SquareStart : RingStart);
    if (squares || look.area.width >= 256) {
      ExpectOneFrame(saver, window.id(), look.width, look.height, look.area, samples);
    }
    EXPECT_TRUE(saver.running());
  }
}

// The server's enlargement (RENDER) against this program's own: the first
// frame of the squares, held by a long pause, is the same on both, pixel for
// pixel, strips and margins included.
TEST_F(X11SaverTest, ServerAndClientStretchShowTheSamePixels) {
  const struct {
    int width, height;
    const char* size;
  } looks[] = {
      {1000, 700, "full"}, {1000, 700, "800x600"}, {640, 480, "800x600"},
      {201, 133, "full"},  {901, 700, "full"},  // two transforms across
  };
  for (const auto& look : looks) {
    SCOPED_TRACE(testing::Message()
                 << look.width << " x " << look.height << ", --size " << look.size);
    std::optional<Picture> shots[2];
    for (const bool server : {true, false}) {
      TestWindow window(look.width, look.height);
      Process saver =
          StartSaver({"--window-id", window.IdText(), "--size", look.size, "--delay", "5000000"},
                     {server ? "VAROMINEA_X11_STRETCH=server" : "VAROMINEA_X11_STRETCH=client"});
      const Rect middle{look.width / 2, look.height / 2, 1, 1};
      ASSERT_TRUE(ShowsFrames(window.id(), middle)) << saver.ErrorOutput();
      shots[server].emplace(window.id(), look.width, look.height);
      ASSERT_TRUE(shots[server]->valid());
      EXPECT_TRUE(saver.running()) << saver.ErrorOutput();
    }
    int different = 0;
    for (int y = 0; y < look.height; ++y) {
      for (int x = 0; x < look.width; ++x) different += shots[0]->at(x, y) != shots[1]->at(x, y);
    }
    EXPECT_EQ(different, 0);
  }
}

TEST_F(X11SaverTest, ResizedWindowIsLaidOutAgainWithoutARestart) {
  TestWindow window(1000, 700);
  Process saver = StartSaver({"--window-id", window.IdText(), "--size", "640x480"});
  ASSERT_TRUE(ShowsFrames(window.id(), {180, 110, 640, 480}));
  for (const auto& [w, h, area] : {std::tuple{700, 500, Rect{30, 10, 640, 480}},
                                   std::tuple{500, 300, Rect{-70, -90, 640, 480}}}) {
    SCOPED_TRACE(testing::Message() << w << " x " << h);
    window.Resize(w, h);
    std::this_thread::sleep_for(300ms);
    ExpectOneFrame(saver, window.id(), w, h, area,
                   SampleCells(
                       area, w, h, [](int, int) { return true; }, SquareStart));
  }
  EXPECT_TRUE(saver.running()) << "the same process goes on";
}

TEST_F(X11SaverTest, EndsWithStatusZeroSoonAfterSigtermOrSigint) {
  for (const int signal : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(strsignal(signal));
    TestWindow window(400, 300);
    // A long pause between frames: the signal must not wait for it.
    Process saver = StartSaver({"--window-id", window.IdText(), "--delay", "5000000"});
    ASSERT_TRUE(ShowsFrames(window.id(), {0, 0, 400, 300}));
    const auto sent = Clock::now();
    saver.Signal(signal);
    EXPECT_EQ(saver.WaitExit(1s), 0);
    EXPECT_LT(Clock::now() - sent, 1s);
  }
}

TEST_F(X11SaverTest, EndsAtOnceOnSigtermWhileTheServerIsGrabbed) {
  TestWindow window(400, 300);
  Process saver = StartSaver({"--window-id", window.IdText()});
  ASSERT_TRUE(ShowsFrames(window.id(), {0, 0, 400, 300}));
  // A host that grabs the server and then ends the saver: the saver's next
  // frame waits on the server, and so would any request on its way out.
  ServerGrab grab;
  std::this_thread::sleep_for(200ms);
  const auto sent = Clock::now();
  saver.Signal(SIGTERM);
  EXPECT_EQ(saver.WaitExit(1s), 0);
  EXPECT_LT(Clock::now() - sent, 1s);
}

TEST_F(X11SaverTest, EndsQuietlyWithStatusZeroWhenItsWindowIsDestroyed) {
  for (const char* delay : {"10000", "0", "5000000"}) {
    SCOPED_TRACE(delay);
    TestWindow window(640, 480);
    Process saver = StartSaver({"--window-id", window.IdText(), "--delay", delay});
    ASSERT_TRUE(ShowsFrames(window.id(), {0, 0, 640, 480}));
    window.Destroy();
    EXPECT_EQ(saver.WaitExit(2s), 0);
    EXPECT_EQ(saver.ErrorOutput(), "");
  }
}

TEST_F(X11SaverTest, OwnWindowIsTitledAndEndsWhenClosed) {
  Process saver = StartSaver({"--window", "--delay", "20000"});
  Display* const d = TheDisplay();
  const Atom net_wm_name = XInternAtom(d, "_NET_WM_NAME", False);
  const Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
  Window found = 0;
  ASSERT_TRUE(WaitUntil(
      [&] {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count);
        for (unsigned i = 0; i < count && found == 0; ++i) {
          Atom type = 0;
          int format = 0;
          unsigned long items = 0, after = 0;
          unsigned char* value = nullptr;
          if (XGetWindowProperty(d, children[i], net_wm_name, 0, 64, False, utf8, &type, &format,
                                 &items, &after, &value) == Success &&
              value != nullptr) {
            // The title is set before the window is mapped: wait for both.
            XWindowAttributes shown{};
            if (std::string(reinterpret_cast<char*>(value), items) == "ヴァロミネア" &&
                XGetWindowAttributes(d, children[i], &shown) != 0 &&
                shown.map_state == IsViewable) {
              found = children[i];
            }
            XFree(value);
          }
        }
        if (children != nullptr) XFree(children);
        return found != 0;
      },
      5s));
  XWindowAttributes attributes{};
  XGetWindowAttributes(d, found, &attributes);
  EXPECT_EQ(attributes.map_state, IsViewable);
  ASSERT_TRUE(ShowsFrames(found, {0, 0, attributes.width, attributes.height}));

  XEvent close{};
  close.xclient.type = ClientMessage;
  close.xclient.window = found;
  close.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
  close.xclient.format = 32;
  close.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
  XSendEvent(d, found, False, NoEventMask, &close);
  XSync(d, False);
  EXPECT_EQ(saver.WaitExit(2s), 0);
}

TEST_F(X11SaverTest, InputOnlyWindowIsRefusedAtStartWithOneMessage) {
  TestWindow window(400, 300, WindowKind::InputOnlyClass);
  Process saver = StartSaver({"--window-id", window.IdText()});
  EXPECT_EQ(saver.WaitExit(5s), 1);
  const std::string error = saver.ErrorOutput();
  EXPECT_NE(error.find("input-only"), std::string::npos) << error;
  EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1) << error;
}

// Under a compositing manager a pixel with alpha 0 is transparent.
TEST_F(X11SaverTest, WindowWithAnAlphaChannelIsDrawnOpaque) {
  // Margins, strips and field.
  TestWindow window(700, 520, WindowKind::Argb);
  if (window.id() == 0) GTEST_SKIP() << "the X server offers no 32-bit visual";
  Process saver = StartSaver({"--window-id", window.IdText(), "--size", "640x480"});
  ASSERT_TRUE(ShowsFrames(window.id(), {30, 20, 640, 480})) << saver.ErrorOutput();
  Frozen frozen(saver);
  const Picture shot(window.id(), 700, 520, 0xFFFFFFFF);
  ASSERT_TRUE(shot.valid());
  int transparent = 0;
  for (int y = 0; y < shot.height(); ++y) {
    for (int x = 0; x < shot.width(); ++x) transparent += (shot.at(x, y) >> 24) != 0xFF;
  }
  EXPECT_EQ(transparent, 0);
  EXPECT_EQ(saver.ErrorOutput(), "");
}

TEST_F(X11SaverTest, BadOptionsEndWithAUsageMessageAndStatusTwo) {
  const struct {
    std::vector<std::string> args;
    std::vector<std::string> env;
  } cases[] = {
      {{"--bogus"}, {}},
      {{"--delay", "-1"}, {}},
      {{"--root"}, {"XSCREENSAVER_WINDOW=junk"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.front());
    Process saver = StartSaver(c.args, c.env);
    EXPECT_EQ(saver.WaitExit(5s), 2);
    EXPECT_NE(saver.ErrorOutput().find("usage:"), std::string::npos) << saver.ErrorOutput();
  }
  Process version = StartSaver({"--version"});
  EXPECT_EQ(version.WaitExit(5s), 0);
}

}  // namespace
