// How often the saver's frames flash: the counting of changes and flashes
// on sequences worked out by hand, and the real frames at two paces. (A file
// of its own: the browser build runs saver_test.cpp too, without the tool.)
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tools/flash_rate/flash_rate.h"

namespace {

// Raw values: a change needs the threshold (0.1 is enough) from the last
// turning point, wobbles inside a change are none, and a change that has
// come far enough counts only once one of its ends qualifies (here: < 0.8).
TEST(FlashRateTest, ChangesFromTurningPointsByThresholdAndQualifyingEnd) {
  const struct {
    std::vector<double> values;
    std::vector<int> counted_at;
  } cases[] = {
      {{0.3, 0.39, 0.3, 0.39, 0.31}, {}},
      {{0.0, 0.05, 0.1, 0.05, 0.0}, {2, 4}},
      {{1.0, 0.85, 0.7, 0.95}, {2, 3}},
      {{1.0, 0.85, 1.0, 0.85}, {}},
  };
  for (const auto& c : cases) {
    flashrate::ChangeCounter counter(0.1, false);
    std::vector<int> counted;
    for (std::size_t k = 0; k < c.values.size(); ++k) {
      if (counter.Add(c.values[k], c.values[k] < 0.8)) counted.push_back(static_cast<int>(k));
    }
    EXPECT_EQ(counted, c.counted_at) << c.values.front() << ", " << c.values[1];
  }
}

// Red changes: more than 20 in (R - G - B) x 320, to or from a saturated red.
TEST(FlashRateTest, RedChangesNeedASaturatedRedAndMoreThan20) {
  const flashrate::Light black{};
  const flashrate::Light red = flashrate::LightOf(255, 0, 0);
  const flashrate::Light pink = flashrate::LightOf(255, 128, 128);  // R / (R + G + B) = 0.70
  const flashrate::Light just_20{0.0625, 0, 0};
  const flashrate::Light above_20{0.07, 0, 0};
  using Times = std::vector<int>;
  EXPECT_EQ(flashrate::RedChangeTimes({black, red, black, red}), (Times{1, 2, 3}));
  EXPECT_EQ(flashrate::RedChangeTimes({black, pink, black, pink}), Times{});
  EXPECT_EQ(flashrate::GeneralChangeTimes({black, pink, black, pink}), (Times{1, 2, 3}));
  EXPECT_EQ(flashrate::RedChangeTimes({black, just_20, black}), Times{});
  EXPECT_EQ(flashrate::RedChangeTimes({black, above_20, black}), (Times{1, 2}));
}

// By hand: a grey that turns from dark to light and back every 128 steps
// changes 4 times in 512 steps. At 512 steps a second a 60 Hz display shows
// steps 1, 9, 18, 26, ...; 60 refreshes span 503 or 504 steps, at most 4
// changes: 2 flashes. At 60 steps a second 60 refreshes span 59 steps: 1
// change, half a flash. Changes every 6 refreshes: 10 a second, 5 flashes.
TEST(FlashRateTest, WorstSecondOfASquareWaveAsTheDisplayShowsIt) {
  EXPECT_EQ(flashrate::ShownSteps(512, 60, 4), (std::vector<std::int64_t>{1, 9, 18, 26}));
  EXPECT_EQ(flashrate::ShownSteps(30, 60, 4), (std::vector<std::int64_t>{1, 1, 2, 2}));
  const auto flashes = [](int steps_per_second, int half_period) {
    std::vector<flashrate::Light> states;
    for (const std::int64_t step : flashrate::ShownSteps(steps_per_second, 60, 600)) {
      const double grey = (step / half_period) % 2 == 0 ? 0.05 : 0.6;
      states.push_back({grey, grey, grey});
    }
    return flashrate::MostFlashesWithin(flashrate::GeneralChangeTimes(states), 60);
  };
  EXPECT_EQ(flashes(512, 128), 2.0);
  EXPECT_EQ(flashes(60, 128), 0.5);
  EXPECT_EQ(flashes(60, 6), 5.0);
  // The window holds 60 refreshes: changes at 0 and 60 are in no one window.
  EXPECT_EQ(flashrate::MostFlashesWithin({0, 59, 60, 119}, 60), 1.0);
  EXPECT_EQ(flashrate::MostFlashesWithin({0, 30, 59, 60}, 60), 1.5);
}

// The saver's own frames (the default squares) over every area of a quarter
// of a 10-degree field: about 1 flash in the worst second at 60 steps a
// second, about 4.5 at 512, on either side of the limit of 3.
TEST(FlashRateTest, SaverFramesAt60And512StepsASecond) {
  const std::vector<flashrate::FlashReport> reports =
      flashrate::MeasureFlashes(flashrate::Pattern::Squares, {{60, 60}, {512, 60}});
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_NEAR(reports[0].worst, 1.0, 0.5);
  EXPECT_NEAR(reports[1].worst, 4.5, 0.5);
  EXPECT_LE(reports[0].worst, 3.0);
  EXPECT_GT(reports[1].worst, 3.0);
}

}  // namespace
