#include "tools/flash_rate/flash_rate.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <memory>
#include <new>
#include <random>

#include "core/dib_header.h"
#include "core/frame_source.h"
#include "core/kernel.h"
#include "core/patterns.h"
#include "core/pixel_field.h"
#include "core/placement.h"

namespace flashrate {

double LinearFromSrgb(std::uint8_t value) {
  const double c = value / 255.0;
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

Light LightOf(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return Light{LinearFromSrgb(red), LinearFromSrgb(green), LinearFromSrgb(blue)};
}

double RelativeLuminance(const Light& light) {
  return 0.2126 * light.red + 0.7152 * light.green + 0.0722 * light.blue;
}

double RedValue(const Light& light) {
  return std::max(0.0, light.red - light.green - light.blue) * 320.0;
}

bool SaturatedRed(const Light& light) {
  const double sum = light.red + light.green + light.blue;
  return sum > 0 && light.red >= 0.8 * sum;
}

bool ChangeCounter::CountIfDue(double value, bool qualifies) {
  if (counted_ || !Reaches(std::fabs(value - turn_)) || !(turn_qualifies_ || qualifies)) {
    return false;
  }
  counted_ = true;
  return true;
}

bool ChangeCounter::Add(double value, bool qualifies) {
  if (!started_) {
    started_ = true;
    extreme_ = highest_ = value;
    extreme_qualifies_ = highest_qualifies_ = qualifies;
    return false;
  }
  const auto turn = [&](int direction, double from, bool from_qualifies) {
    direction_ = direction;
    turn_ = from;
    turn_qualifies_ = from_qualifies;
    extreme_ = value;
    extreme_qualifies_ = qualifies;
    counted_ = false;
    return CountIfDue(value, qualifies);
  };
  if (direction_ == 0) {
    // Before the first change: the lowest and the highest state so far are
    // both possible turning points.
    if (Reaches(value - extreme_)) return turn(+1, extreme_, extreme_qualifies_);
    if (Reaches(highest_ - value)) return turn(-1, highest_, highest_qualifies_);
    if (value < extreme_) {
      extreme_ = value;
      extreme_qualifies_ = qualifies;
    }
    if (value > highest_) {
      highest_ = value;
      highest_qualifies_ = qualifies;
    }
    return false;
  }
  const double beyond = direction_ * (value - extreme_);  // > 0: further on
  if (beyond >= 0) {
    extreme_ = value;
    extreme_qualifies_ = qualifies;
  } else if (Reaches(-beyond)) {
    return turn(-direction_, extreme_, extreme_qualifies_);
  }
  return CountIfDue(value, qualifies);
}

namespace {

ChangeCounter GeneralChanges() {
  return ChangeCounter(0.1, false);
}

bool AddGeneral(ChangeCounter& counter, const Light& state) {
  const double luminance = RelativeLuminance(state);
  return counter.Add(luminance, luminance < 0.8);
}

ChangeCounter RedChanges() {
  return ChangeCounter(20.0, true);
}

bool AddRed(ChangeCounter& counter, const Light& state) {
  return counter.Add(RedValue(state), SaturatedRed(state));
}

std::vector<int> ChangeTimes(const std::vector<Light>& states, ChangeCounter counter,
                             bool (*add)(ChangeCounter&, const Light&)) {
  std::vector<int> times;
  for (std::size_t k = 0; k < states.size(); ++k) {
    if (add(counter, states[k])) times.push_back(static_cast<int>(k));
  }
  return times;
}

}  // namespace

std::vector<int> GeneralChangeTimes(const std::vector<Light>& states) {
  return ChangeTimes(states, GeneralChanges(), AddGeneral);
}

std::vector<int> RedChangeTimes(const std::vector<Light>& states) {
  return ChangeTimes(states, RedChanges(), AddRed);
}

double MostFlashesWithin(const std::vector<int>& change_times, int window) {
  std::size_t most = 0;
  std::size_t first = 0;
  for (std::size_t last = 0; last < change_times.size(); ++last) {
    while (change_times[last] - change_times[first] >= window) ++first;
    most = std::max(most, last - first + 1);
  }
  return static_cast<double>(most) / 2.0;
}

std::vector<std::int64_t> ShownSteps(int steps_per_second, int refresh_hz, int refreshes) {
  std::vector<std::int64_t> steps(static_cast<std::size_t>(std::max(refreshes, 0)));
  for (std::size_t k = 0; k < steps.size(); ++k) {
    steps[k] = 1 + static_cast<std::int64_t>(k) * steps_per_second / refresh_hz;
  }
  return steps;
}

namespace {

using varominea::ByteField;

constexpr int kFrames = 256;
constexpr int kCellWidth = kScreenWidth / 256;                          // 4 px
constexpr int kCellHeight = kScreenHeight / 256;                        // 3 px
constexpr int kLefts = (kScreenWidth - kAreaWidth) / kCellWidth + 1;    // 171
constexpr int kTops = (kScreenHeight - kAreaHeight) / kCellHeight + 1;  // 171
constexpr double kUnit = 65536.0;  // light 1.0 in the sums' units
constexpr std::size_t kRow = 257;  // light per field column, 0 for the black strips

// The ring pattern's draws from a fixed seed: the top 24 bits of each
// 32-bit output, so every value lies on the 2^-24 grid of [0, 1).
varominea::UniformSource FixedSeedUniform(std::uint32_t seed) {
  return [engine = std::mt19937(seed)]() mutable {
    return static_cast<float>(engine() >> 8) * 0x1p-24f;
  };
}

// One turn of the colours as the saver makes it: the pattern source's field
// stepped 0..255 times by the frame step, and the colour table as light.
struct Turn {
  std::vector<std::uint8_t> fields;  // frame-major, ByteField::kBytes each
  // Channel, palette index: the light in units of 2^-16, so that the sums
  // over an area are exact whole numbers. The rounding, under 8e-6 of full
  // light, lies far below the smallest step that counts (0.0625 of red).
  std::array<std::array<std::int32_t, 256>, 3> light{};
};

Turn MakeTurn(Pattern pattern, std::uint32_t seed) {
  Turn turn;
  const std::unique_ptr<varominea::FrameSource> source =
      varominea::FrameSource::Start(pattern == Pattern::Squares ? 0 : 1, FixedSeedUniform(seed));
  if (!source) throw std::bad_alloc();  // no figures rather than wrong ones
  const ByteField& field = source->field();
  turn.fields.reserve(std::size_t{kFrames} * ByteField::kBytes);
  for (int frame = 0; frame < kFrames; ++frame) {
    turn.fields.insert(turn.fields.end(), field.data(), field.data() + ByteField::kBytes);
    source->Step();
  }
  for (int i = 0; i < 256; ++i) {
    const varominea::RgbQuad& q = source->palette().bmiColors[i];
    const Light light = LightOf(q.rgbRed, q.rgbGreen, q.rgbBlue);
    turn.light[0][i] = static_cast<std::int32_t>(std::lround(light.red * kUnit));
    turn.light[1][i] = static_cast<std::int32_t>(std::lround(light.green * kUnit));
    turn.light[2][i] = static_cast<std::int32_t>(std::lround(light.blue * kUnit));
  }
  return turn;
}

// What the counters need of an area in one frame.
struct AreaState {
  float luminance;
  float red;
  bool saturated_red;
};

// The areas of one row (one top) of candidates, each over the 256 frames.
class AreaRow {
 public:
  explicit AreaRow(const Turn& turn) : turn_(turn), columns_(std::size_t{kFrames} * 3 * kRow) {
    const varominea::FrameBlit blit = varominea::FrameBlitFor(kScreenWidth, kScreenHeight);
    for (int py = 0; py < kScreenHeight; ++py) row_at_[py] = FieldRowAt(blit, py).value_or(0);
    // The blit repeats each field column over a run of neighbouring screen
    // columns, left to right: where each run starts and how long it is.
    for (int px = 0; px < kScreenWidth; ++px) {
      const int x = FieldColumnAt(blit, px).value_or(0);
      column_at_[px] = x;
      if (width_of_[x]++ == 0) first_px_[x] = px;
    }
    std::array<int, varominea::ByteField::kRows + 1> rows{};
    for (int py = 0; py < kAreaHeight; ++py) ++rows[row_at_[py]];
    AddRows(rows);
  }

  // The area row `top` (0..kTops-1), after the one above it.
  void MoveTo(int top) {
    for (; top_ < top; ++top_) {
      std::array<int, varominea::ByteField::kRows + 1> rows{};
      for (int py = top_ * kCellHeight; py < (top_ + 1) * kCellHeight; ++py) {
        --rows[row_at_[py]];
        ++rows[row_at_[py + kAreaHeight]];
      }
      AddRows(rows);
    }
  }

  // Every area of this row in every frame: states[left * 256 + frame].
  void States(std::vector<AreaState>& states) const {
    // Plain arrays and pointers in the loops below: they run 60 million
    // times, and unoptimised (sanitizer) builds call every container access.
    states.resize(std::size_t{kLefts} * kFrames);
    AreaState* const out = states.data();
    const int* const column_at = column_at_.data();
    const int* const first_px = first_px_.data();
    const int* const width_of = width_of_.data();
    std::int64_t before[kRow];  // the area row's light left of each run's first screen column
    double means[3][kLefts];
    constexpr double kArea = double{kAreaWidth} * kAreaHeight * kUnit;
    for (int frame = 0; frame < kFrames; ++frame) {
      for (int ch = 0; ch < 3; ++ch) {
        const std::int32_t* columns = &columns_[(static_cast<std::size_t>(frame) * 3 + ch) * kRow];
        std::int64_t sum = 0;
        for (std::size_t x = 0; x < kRow; ++x) {
          before[x] = sum;
          sum += std::int64_t{width_of[x]} * columns[x];
        }
        for (int left = 0; left < kLefts; ++left) {
          const int from = left * kCellWidth;
          const int to = from + kAreaWidth;
          const int x = column_at[from];
          const int y = column_at[to];
          const std::int64_t light = before[y] + std::int64_t{to - first_px[y]} * columns[y] -
                                     (before[x] + std::int64_t{from - first_px[x]} * columns[x]);
          means[ch][left] = static_cast<double>(light) / kArea;
        }
      }
      for (int left = 0; left < kLefts; ++left) {
        const Light m{means[0][left], means[1][left], means[2][left]};
        out[static_cast<std::size_t>(left) * kFrames + static_cast<std::size_t>(frame)] = {
            static_cast<float>(RelativeLuminance(m)), static_cast<float>(RedValue(m)),
            SaturatedRed(m)};
      }
    }
  }

 private:
  // Adds `rows[y]` times the light of field row y (1..258) to every
  // frame's column sums; row 0, the blit's bottom strip, gives none.
  void AddRows(const std::array<int, varominea::ByteField::kRows + 1>& rows) {
    for (int y = 1; y <= varominea::ByteField::kRows; ++y) {
      if (rows[y] == 0) continue;
      const std::int32_t times = rows[y];
      for (int frame = 0; frame < kFrames; ++frame) {
        const std::uint8_t* cells =
            &turn_.fields[static_cast<std::size_t>(frame) * ByteField::kBytes +
                          ByteField::Offset(1, y)];
        for (int ch = 0; ch < 3; ++ch) {
          const std::int32_t* light = turn_.light[static_cast<std::size_t>(ch)].data();
          std::int32_t* columns = &columns_[(static_cast<std::size_t>(frame) * 3 + ch) * kRow + 1];
          for (int x = 0; x < 256; ++x) columns[x] += times * light[cells[x]];
        }
      }
    }
  }

  const Turn& turn_;
  // Per frame and channel, per field column: its light summed over the
  // area row's screen rows (column 0, the left strip, stays 0).
  std::vector<std::int32_t> columns_;
  std::array<int, kScreenWidth> column_at_{};
  std::array<int, kRow> first_px_{};
  std::array<int, kRow> width_of_{};  // screen columns showing each field column
  std::array<int, kScreenHeight> row_at_{};
  int top_ = 0;
};

double MostFlashes(const AreaState* frames, const std::vector<int>& shown, int window, bool red,
                   std::vector<int>& times) {
  ChangeCounter counter = red ? RedChanges() : GeneralChanges();
  times.clear();
  const int* const frame_at = shown.data();
  for (std::size_t k = 0; k < shown.size(); ++k) {
    const AreaState& state = frames[frame_at[k]];
    const bool counted = red ? counter.Add(state.red, state.saturated_red)
                             : counter.Add(state.luminance, state.luminance < 0.8f);
    if (counted) times.push_back(static_cast<int>(k));
  }
  return MostFlashesWithin(times, window);
}

// Whether an area's frames hold a change at all: a luminance swing of 0.1,
// and for red a saturated red in some frame. Most areas never show one, and
// their refreshes need not be followed.
struct Possible {
  bool general = false;
  bool red = false;
};

Possible PossibleChanges(const AreaState* frames) {
  float lowest = frames[0].luminance;
  float highest = lowest;
  Possible possible;
  for (int f = 0; f < kFrames; ++f) {
    lowest = std::min(lowest, frames[f].luminance);
    highest = std::max(highest, frames[f].luminance);
    possible.red = possible.red || frames[f].saturated_red;
  }
  possible.general = highest - lowest >= 0.1f;
  return possible;
}

}  // namespace

std::vector<FlashReport> MeasureFlashes(Pattern pattern, const std::vector<Pace>& paces,
                                        std::uint32_t seed) {
  // The frame (0..255) each refresh shows, per pace.
  std::vector<std::vector<int>> shown;
  for (const Pace& pace : paces) {
    const int hz = std::max(pace.refresh_hz, 1);
    const long long two_turns = 2LL * kFrames * hz / std::max(pace.steps_per_second, 1) + 1;
    const auto refreshes = static_cast<int>(std::max(two_turns + hz, 2LL * hz));
    std::vector<int> frames;
    for (const std::int64_t step : ShownSteps(pace.steps_per_second, hz, refreshes)) {
      frames.push_back(static_cast<int>(step & 255));
    }
    shown.push_back(std::move(frames));
  }

  std::vector<FlashReport> reports(paces.size());
  const Turn turn = MakeTurn(pattern, seed);
  AreaRow row(turn);
  std::vector<AreaState> states;
  std::vector<int> times;
  for (int top = 0; top < kTops; ++top) {
    row.MoveTo(top);
    row.States(states);
    for (int left = 0; left < kLefts; ++left) {
      const AreaState* frames = &states[static_cast<std::size_t>(left) * kFrames];
      const Placement at{left * kCellWidth, top * kCellHeight};
      const Possible possible = PossibleChanges(frames);
      for (std::size_t p = 0; p < paces.size(); ++p) {
        const int window = std::max(paces[p].refresh_hz, 1);
        const double general =
            possible.general ? MostFlashes(frames, shown[p], window, false, times) : 0;
        const double red = possible.red ? MostFlashes(frames, shown[p], window, true, times) : 0;
        FlashReport& report = reports[p];
        if (general > report.general.flashes) report.general = {general, at};
        if (red > report.red.flashes) report.red = {red, at};
        report.worst = std::max(report.general.flashes, report.red.flashes);
      }
    }
  }
  return reports;
}

}  // namespace flashrate
