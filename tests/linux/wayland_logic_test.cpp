// The Wayland saver's pure parts: which front end runs, which shell covers
// the outputs, buffer sizes at every output scale, the choice between an
// output's two buffers, the frame pacing over several outputs, and the list
// of outputs as they come and go.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "linux/front_end.h"
#include "linux/options.h"
#include "linux/wayland/wayland_logic.h"

namespace varominea::wayland {
namespace {

using namespace std::chrono_literals;
using linux_saver::FrontEnd;

TEST(FrontEndTest, WaylandUnlessAnX11TargetIsNamed) {
  const struct {
    std::vector<std::string_view> args;
    const char* host_window;      // XSCREENSAVER_WINDOW
    const char* wayland_display;  // WAYLAND_DISPLAY
    FrontEnd expected;
  } cases[] = {
      {{}, nullptr, nullptr, FrontEnd::X11},
      {{}, nullptr, "", FrontEnd::X11},
      {{}, nullptr, "wayland-0", FrontEnd::Wayland},
      {{"--size", "640x480", "--fps"}, nullptr, "wayland-1", FrontEnd::Wayland},
      {{"--wayland"}, nullptr, nullptr, FrontEnd::Wayland},
      {{"--wayland"}, "0x400007", nullptr, FrontEnd::Wayland},
      // Every X11 target keeps the X11 saver, even under a compositor.
      {{"--root"}, nullptr, "wayland-0", FrontEnd::X11},
      {{"--window"}, nullptr, "wayland-0", FrontEnd::X11},
      {{"-window-id", "0x1e00003"}, nullptr, "wayland-0", FrontEnd::X11},
      {{}, "0x400007", "wayland-0", FrontEnd::X11},
  };
  for (const auto& c : cases) {
    std::string shown;
    for (const auto arg : c.args) shown += std::string(arg) + " ";
    SCOPED_TRACE(shown + (c.host_window ? c.host_window : "-") + " " +
                 (c.wayland_display ? c.wayland_display : "-"));
    const auto parsed = linux_saver::ParseOptions(c.args, c.host_window);
    ASSERT_TRUE(std::holds_alternative<linux_saver::Options>(parsed))
        << std::get<linux_saver::UsageError>(parsed).message;
    EXPECT_EQ(
        linux_saver::ChooseFrontEnd(std::get<linux_saver::Options>(parsed), c.wayland_display),
        c.expected);
  }
}

TEST(FrontEndTest, WaylandTakesNoX11Window) {
  for (const std::vector<std::string_view>& args :
       {std::vector<std::string_view>{"--wayland", "--root"},
        {"--window", "--wayland"},
        {"--wayland", "--window-id", "5"},
        {"--wayland=1"}}) {
    SCOPED_TRACE(std::string(args[0]));
    EXPECT_TRUE(
        std::holds_alternative<linux_saver::UsageError>(linux_saver::ParseOptions(args, nullptr)));
  }
  // A malformed host window does not matter where it is not read.
  EXPECT_TRUE(std::holds_alternative<linux_saver::Options>(
      linux_saver::ParseOptions(std::vector<std::string_view>{"--wayland"}, "junk")));
}

TEST(WaylandShellTest, LayerShellWhereOfferedElseXdgFullscreen) {
  EXPECT_EQ(ChooseShell(true, true), Shell::Layer);
  EXPECT_EQ(ChooseShell(true, false), Shell::Layer);
  EXPECT_EQ(ChooseShell(false, true), Shell::Xdg);
  EXPECT_EQ(ChooseShell(false, false), Shell::None);
}

TEST(WaylandScaleTest, BuffersCoverTheOutputInPhysicalPixels) {
  const Size hd{1920, 1080};
  const struct {
    Size surface;
    int output_scale;
    std::uint32_t preferred_120;
    bool viewporter;
    Size output;  // its pixels as turned; 0 x 0 when not known
    BufferGeometry expected;
  } cases[] = {
      {{1920, 1080}, 1, 0, true, hd, {{1920, 1080}, 1, false}},
      {{1920, 1080}, 0, 0, false, {}, {{1920, 1080}, 1, false}},  // a scale never said
      {{1280, 720}, 2, 0, false, {2560, 1440}, {{2560, 1440}, 2, false}},
      // Integer scales stay exact, with or without a viewporter.
      {{1280, 720}, 3, 0, true, {3840, 2160}, {{3840, 2160}, 3, false}},
      // Fractional: rounded to nearest, the buffer mapped by a viewport.
      {{1280, 720}, 2, 180, true, hd, {{1920, 1080}, 1, true}},
      {{1707, 960}, 2, 150, true, {2560, 1440}, {{2134, 1200}, 1, true}},
      {{1097, 617}, 2, 210, true, hd, {{1920, 1080}, 1, true}},  // 1919.75, 1079.75
      // A viewporter without a fractional scale said (scales 1.5 and 1.25):
      // the output's own pixels, turned as the output is.
      {{1280, 720}, 2, 0, true, hd, {{1920, 1080}, 1, true}},
      {{1536, 864}, 2, 0, true, hd, {{1920, 1080}, 1, true}},
      {{683, 512}, 2, 0, true, {1024, 768}, {{1024, 768}, 1, true}},  // 682.7 rounded up
      {{720, 1280}, 2, 0, true, OutputPixels(hd, 1), {{1080, 1920}, 1, true}},
      // A surface not in proportion to the output (cut short by a panel)
      // keeps the integer scale.
      {{1280, 690}, 2, 0, true, hd, {{2560, 1380}, 2, false}},
      // Without a viewporter no fractional scale can be used.
      {{1280, 720}, 2, 180, false, hd, {{2560, 1440}, 2, false}},
      {{1280, 720}, 2, 0, false, hd, {{2560, 1440}, 2, false}},
      {{0, 0}, 2, 0, false, {}, {{0, 0}, 2, false}},
      {{-5, 600}, 1, 0, false, {}, {{0, 600}, 1, false}},
      {{30000, 20000}, 2, 0, false, {}, {{32767, 32767}, 2, false}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.surface.width) + "x" + std::to_string(c.surface.height) + " @" +
                 std::to_string(c.output_scale) + "/" + std::to_string(c.preferred_120) + " on " +
                 std::to_string(c.output.width) + "x" + std::to_string(c.output.height));
    EXPECT_EQ(BufferGeometryFor(c.surface, c.output_scale, c.preferred_120, c.viewporter, c.output),
              c.expected);
  }
  EXPECT_EQ(OutputPixels(hd, 0), hd);
  EXPECT_EQ(OutputPixels(hd, 7), (Size{1080, 1920}));  // flipped, turned three quarters
  EXPECT_EQ(OutputPixels(hd, 6), hd);
}

TEST(WaylandScaleTest, SurfaceSizeFallsBackToTheOutputsMode) {
  EXPECT_EQ(SurfaceSize({1024, 768}, {2048, 1536}, 2), (Size{1024, 768}));
  EXPECT_EQ(SurfaceSize({0, 0}, {1920, 1080}, 1), (Size{1920, 1080}));
  EXPECT_EQ(SurfaceSize({0, 0}, {2560, 1440}, 2), (Size{1280, 720}));
  // Rounded up, so an odd mode at scale 2 is still covered.
  EXPECT_EQ(SurfaceSize({0, 0}, {1366, 769}, 2), (Size{683, 385}));
  EXPECT_EQ(SurfaceSize({800, 0}, {1024, 768}, 0), (Size{800, 768}));
}

TEST(WaylandScaleTest, PointerMovesCountOnlyOverTheDrawingArea) {
  // 640 x 480 centred in a 1920 x 1080 buffer on a 960 x 540 surface.
  const FrameLayout layout = LayoutFrame(1920, 1080, 2);
  const auto on = [&](double x, double y) {
    return OnDrawingArea(layout, ToBufferPixels({x, y}, {960, 540}, {1920, 1080}));
  };
  EXPECT_TRUE(on(480, 270));
  EXPECT_TRUE(on(320, 150));     // the area's top-left pixel, 640, 300
  EXPECT_FALSE(on(319.5, 150));  // one pixel left of it
  EXPECT_FALSE(on(640, 270));    // 1280: just past the right edge
  EXPECT_TRUE(on(639.5, 389.5));
  EXPECT_FALSE(on(480, 390));
}

TEST(WaylandBufferTest, NeverDrawsIntoABufferTheCompositorReads) {
  const Size full{1920, 1080}, other{1024, 768}, none{};
  const struct {
    std::array<BufferSlot, 2> slots;
    Size wanted;
    std::optional<std::pair<std::size_t, bool>> expected;  // index, remade
  } cases[] = {
      {{{{none, false}, {none, false}}}, full, std::pair{0u, true}},
      {{{{full, true}, {none, false}}}, full, std::pair{1u, true}},
      {{{{full, true}, {full, false}}}, full, std::pair{1u, false}},
      {{{{full, false}, {full, true}}}, full, std::pair{0u, false}},
      {{{{full, true}, {full, true}}}, full, std::nullopt},
      // After a resize: the free buffer is made anew, the busy one waits.
      {{{{full, false}, {full, true}}}, other, std::pair{0u, true}},
      // A free buffer of the right size is preferred to one to remake.
      {{{{full, false}, {other, false}}}, other, std::pair{1u, false}},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    const auto choice = ChooseBuffer(cases[i].slots, cases[i].wanted);
    ASSERT_EQ(choice.has_value(), cases[i].expected.has_value());
    if (choice) {
      EXPECT_EQ(choice->index, cases[i].expected->first);
      EXPECT_EQ(choice->remake, cases[i].expected->second);
    }
  }
}

TEST(WaylandPaceTest, EveryShownOutputGetsEveryFrameButAStalledOneHoldsNoneBack) {
  EXPECT_EQ(PaceOf(false, false, true, 0ms), Pace::Hidden);
  EXPECT_EQ(PaceOf(true, false, true, 0ms), Pace::Ready);
  EXPECT_EQ(PaceOf(true, true, true, 16ms), Pace::Waiting);
  EXPECT_EQ(PaceOf(true, false, false, 16ms), Pace::Waiting);
  EXPECT_EQ(PaceOf(true, true, true, kStallLimit + 1ms), Pace::Stalled);

  const auto step = [](std::vector<Pace> paces) { return TimeToStep(paces); };
  EXPECT_FALSE(step({}));
  EXPECT_FALSE(step({Pace::Hidden}));
  EXPECT_TRUE(step({Pace::Ready}));
  EXPECT_TRUE(step({Pace::Ready, Pace::Ready, Pace::Hidden}));
  // The faster output waits for the slower one's frame to be shown ...
  EXPECT_FALSE(step({Pace::Ready, Pace::Waiting}));
  // ... but not for an output that stopped showing frames (switched off).
  EXPECT_TRUE(step({Pace::Stalled, Pace::Ready}));
  EXPECT_FALSE(step({Pace::Stalled}));
}

TEST(WaylandOutputListTest, OutputsComeAndGoWithoutDisturbingTheOthers) {
  struct Tracked {
    Tracked(int tracked_id, std::vector<int>* list) : id(tracked_id), released(list) {}
    Tracked(const Tracked&) = delete;
    Tracked& operator=(const Tracked&) = delete;
    ~Tracked() { released->push_back(id); }
    int id;
    std::vector<int>* released;
  };
  std::vector<int> released;
  OutputList<Tracked> list;
  const auto add = [&](std::uint32_t name, int id) {
    return &list.Add(name, std::make_unique<Tracked>(id, &released));
  };
  Tracked* const first = add(7, 1);
  add(9, 2);
  add(12, 3);
  EXPECT_EQ(list.size(), 3u);

  // A global that is not an output (a seat, say) removes nothing.
  EXPECT_EQ(list.Remove(40), nullptr);
  EXPECT_TRUE(released.empty());

  // The middle one goes; the others keep their place and their objects.
  list.Remove(9).reset();
  EXPECT_EQ(released, std::vector<int>{2});
  EXPECT_EQ(list.Find(7), first);
  EXPECT_EQ(list.Find(9), nullptr);
  std::vector<int> order;
  list.ForEach([&](const Tracked& t) { order.push_back(t.id); });
  EXPECT_EQ(order, (std::vector<int>{1, 3}));

  // A name announced again replaces the old output, releasing it.
  add(12, 4);
  EXPECT_EQ(released, (std::vector<int>{2, 3}));
  list.Clear();
  EXPECT_EQ(released, (std::vector<int>{2, 3, 4, 1}));
}

}  // namespace
}  // namespace varominea::wayland
