// The Windows saver's pure parts beside the core: the black covers of the
// monitors its window does not reach, and its pace with animation effects off.
#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "windows/saver/covers.h"
#include "windows/saver/step_pace.h"

namespace varominea {
namespace {

// The saver's window starts at the primary monitor's top-left corner (0, 0)
// and reaches right and down; what it leaves of the other monitors gets
// covers: whole monitors left of or above it, the bands of a monitor it
// only partly reaches, nothing where a smaller window still holds the
// primary, and every monitor when the window has no area.
TEST(CoverTest, MonitorsOrTheirPartsOutsideTheWindow) {
  using Rects = std::vector<ScreenRect>;
  const ScreenRect primary{0, 0, 800, 600};
  const ScreenRect window{0, 0, 12000, 9000};
  const struct {
    const char* name;
    Rects monitors;
    ScreenRect window;
    Rects parts;
  } cases[] = {
      {"one monitor", {primary}, window, {}},
      {"left, unequal heights", {primary, {-640, 0, 0, 480}}, window, {{-640, 0, 0, 480}}},
      {"left, reaching above", {primary, {-640, -100, 0, 380}}, window, {{-640, -100, 0, 380}}},
      {"above", {primary, {0, -768, 1024, 0}}, window, {{0, -768, 1024, 0}}},
      {"right and below, inside the window",
       {primary, {800, 0, 2720, 1080}, {0, 600, 800, 1200}},
       window,
       {}},
      {"right, reaching above the window",
       {primary, {800, -300, 1600, 300}},
       window,
       {{800, -300, 1600, 0}}},
      {"window cut short by the platform",
       {primary, {800, 0, 1600, 600}},
       {0, 0, 1000, 700},
       {{1000, 0, 1600, 600}}},
      {"window inside a monitor",
       {{-100, -100, 900, 700}},
       {0, 0, 800, 600},
       {{-100, -100, 900, 0}, {-100, 600, 900, 700}, {-100, 0, 0, 600}, {800, 0, 900, 600}}},
      {"mirrored and empty monitors",
       {primary, {-640, 0, 0, 480}, {-640, 0, 0, 480}, {5, 5, 5, 9}},
       window,
       {{-640, 0, 0, 480}}},
      {"window without area",
       {primary, {-640, 0, 0, 480}},
       {0, 0, 0, 0},
       {primary, {-640, 0, 0, 480}}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(UncoveredParts(c.monitors, c.window), c.parts) << c.name;
  }
}

// While the saver shows the primary monitor only, every other monitor is
// covered whole, also where the saver's window lies over it (right of and
// below the primary); a monitor that mirrors part of the primary keeps that
// part, and what of the primary a window cut short leaves is covered too.
// A drawing area larger than the primary is cut to it.
TEST(CoverTest, EveryMonitorButThePrimary) {
  using Rects = std::vector<ScreenRect>;
  const ScreenRect primary{0, 0, 640, 480};
  const ScreenRect window{0, 0, 9600, 7200};
  const struct {
    const char* name;
    Rects monitors;
    ScreenRect window;
    Rects parts;
  } cases[] = {
      {"right and below, under the window",
       {primary, {640, 0, 1440, 600}, {0, 480, 800, 1080}},
       window,
       {{640, 0, 1440, 600}, {0, 480, 800, 1080}}},
      {"overlapping the whole primary",
       {primary, {0, 0, 800, 600}},
       window,
       {{0, 480, 800, 600}, {640, 0, 800, 480}}},
      {"window cut short on the primary",
       {primary, {-800, 0, 0, 600}},
       {0, 0, 500, 480},
       {{500, 0, 640, 480}, {-800, 0, 0, 600}}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PartsToCover(c.monitors, primary, c.window), c.parts) << c.name;
  }

  EXPECT_EQ(ClipToPrimary({-80, -60, 720, 540}, primary), (ScreenRect{80, 60, 720, 540}));
  EXPECT_EQ(ClipToPrimary({0, 0, 640, 480}, primary), std::nullopt);
  EXPECT_EQ(ClipToPrimary({100, 50, 500, 350}, primary), std::nullopt);
}

// With the animation effects off: whole refreshes per step, never more than
// 60 steps a second, an unknown rate taken as 60 Hz; a loop that fell
// behind keeps its rhythm instead of stepping again at once to catch up.
TEST(StepPaceTest, WholeRefreshesAtMostSixtyASecondAndNoCatchingUp) {
  using std::chrono::nanoseconds;
  const nanoseconds second = std::chrono::seconds(1);
  const struct {
    int hz;
    nanoseconds period;
  } rates[] = {{0, second / 60},        {1, second / 60},       {30, second / 30},
               {60, second / 60},       {75, second * 2 / 75},  {120, second * 2 / 120},
               {144, second * 3 / 144}, {240, second * 4 / 240}};
  for (const auto& r : rates) EXPECT_EQ(StepPeriod(r.hz), r.period) << r.hz << " Hz";
  EXPECT_EQ(RefreshPeriod(144), second / 144);

  const nanoseconds p = second / 60, due = second;
  EXPECT_EQ(NextStepDue(due, due + p / 4, p), due + p) << "on time";
  EXPECT_EQ(NextStepDue(due, due + p, p), due + p) << "the next moment is now";
  EXPECT_EQ(NextStepDue(due, due + p * 7 / 2, p), due + p * 4) << "behind by three and a half";
}

}  // namespace
}  // namespace varominea
