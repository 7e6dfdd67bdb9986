#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "saver/patterns.h"

namespace varominea {
namespace {

std::unique_ptr<ByteField> NewField() {
  auto field = ByteField::Allocate();
  EXPECT_NE(field, nullptr);
  return field;
}

bool SameBytes(const ByteField& a, const ByteField& b) {
  return std::equal(a.data(), a.data() + ByteField::kBytes, b.data());
}

// A source that gives `first` and then values of a fixed-seed generator.
UniformSource FirstThenSeeded(float first, unsigned seed) {
  return [first, used = false, engine = std::mt19937(seed)]() mutable {
    if (used) return std::generate_canonical<float, 24>(engine) * 0.999f;
    used = true;
    return first;
  };
}

TEST(SquarePatternTest, OutlinesFollowTheClosedFormAndRow258StaysZero) {
  auto field = NewField();
  FillSquareField(*field);
  for (int y = 1; y <= 258; ++y) {
    for (int x = 1; x <= 256; ++x) {
      const int expected = y == 258 ? 0 : 251 - std::min({x, 257 - x, y, 258 - y});
      ASSERT_EQ(field->at(x, y), expected) << "cell " << x << "," << y;
    }
  }
  EXPECT_EQ(field->at(64, 64), 187);
  EXPECT_EQ(field->at(129, 129), 123);
  auto again = NewField();
  FillSquareField(*again);
  EXPECT_TRUE(SameBytes(*field, *again));
}

TEST(RingPatternTest, DistancesWithAFlatDisc) {
  auto field = NewField();
  FillRingDistances(*field);
  const struct {
    int x, y, value;
  } cases[] = {{128, 128, 0}, {137, 128, 0},  {128, 119, 0},  {138, 128, 10},
               {135, 135, 0}, {136, 136, 11}, {1, 1, 179},    {256, 258, 182},
               {256, 1, 180}, {1, 258, 181},  {128, 258, 130}};
  for (const auto& c : cases) {
    EXPECT_EQ(field->at(c.x, c.y), c.value) << "cell " << c.x << "," << c.y;
  }
}

// Cell (3, 3) is visited first; on the ring fill its nine cells sum to 1588,
// on a field of 255s to 2295 (which wraps to 0 once the noise reaches 8.5).
TEST(RingPatternTest, FirstCellOfTheFirstPass) {
  const struct {
    std::uint8_t fill;  // 0: the ring fill
    float u;
    int expected;
  } cases[] = {{0, 0.03f, 176}, {0, 0.45f, 176},    {0, 0.46f, 177}, {0, 0.5f, 177},
               {255, 0.85f, 0}, {255, 0.849f, 255}, {255, 0.0f, 255}};
  EXPECT_EQ(10.0f * 0.45f, 4.5f);  // 1592.5: a tie, to even 1592
  EXPECT_EQ(10.0f * 0.85f, 8.5f);  // 2303.5: a tie, to even 2304 = 9 * 256
  for (const auto& c : cases) {
    auto field = NewField();
    if (c.fill == 0) FillRingDistances(*field);
    if (c.fill != 0) std::fill(field->data(), field->data() + ByteField::kBytes, c.fill);
    SmoothWithNoise(*field, FirstThenSeeded(c.u, 1));
    EXPECT_EQ(field->at(3, 3), c.expected) << "fill " << int{c.fill} << " u " << c.u;
  }
  // Ties where rounding half up or half down would give another quotient;
  // draws outside [0, 1) are held inside it.
  EXPECT_EQ(SmoothedValue(1601, 0.05f), 178);  // 1601.5 -> 1602
  EXPECT_EQ(SmoothedValue(1610, 0.05f), 178);  // 1610.5 -> 1610
  EXPECT_EQ(SmoothedValue(2295, 1.0f), 0);
  EXPECT_EQ(SmoothedValue(2295, std::numeric_limits<float>::quiet_NaN()), 255);
}

// In place, in visiting order: each cell sees the new values of the cells
// left of and above it and the old values of those right of and below it.
TEST(RingPatternTest, PassReadsNewValuesLeftAndAboveAndOldOnesRightAndBelow) {
  auto b = NewField();
  FillRingDistances(*b);
  auto a = NewField();
  std::copy(b->data(), b->data() + ByteField::kBytes, a->data());
  std::mt19937 engine(99);
  std::vector<float> draws;
  SmoothWithNoise(*a, [&] {
    draws.push_back(std::generate_canonical<float, 24>(engine) * 0.999f);
    return draws.back();
  });
  ASSERT_EQ(draws.size(), 254u * 252u);
  std::size_t next = 0;
  for (int y = 3; y <= 256; ++y) {
    for (int x = 3; x <= 254; ++x) {
      const int sum = b->at(x, y) + a->at(x - 1, y) + b->at(x + 1, y) + a->at(x, y - 1) +
                      b->at(x, y + 1) + a->at(x - 2, y) + b->at(x + 2, y) + a->at(x, y - 2) +
                      b->at(x, y + 2);
      ASSERT_EQ(a->at(x, y), SmoothedValue(sum, draws[next++])) << "cell " << x << "," << y;
    }
  }
}

TEST(RingPatternTest, DifferentSequencesDifferOnlyInsideTheSmoothedRegion) {
  auto rings = NewField();
  FillRingDistances(*rings);
  auto one = NewField();
  auto two = NewField();
  FillRingField(*one, FirstThenSeeded(0.5f, 1));
  FillRingField(*two, FirstThenSeeded(0.5f, 2));
  int differing = 0;
  for (int y = 1; y <= 258; ++y) {
    for (int x = 1; x <= 256; ++x) {
      if (x >= 3 && x <= 254 && y >= 3 && y <= 256) {
        differing += one->at(x, y) != two->at(x, y);
      } else {
        ASSERT_EQ(one->at(x, y), rings->at(x, y)) << "cell " << x << "," << y;
        ASSERT_EQ(two->at(x, y), rings->at(x, y)) << "cell " << x << "," << y;
      }
    }
  }
  EXPECT_GT(differing, 1000);
  auto again = NewField();
  FillRingField(*again, FirstThenSeeded(0.5f, 1));
  EXPECT_TRUE(SameBytes(*one, *again));
}

TEST(ClockSeededUniformTest, DrawsLieInTheUnitIntervalAndSeedsDiffer) {
  UniformSource a = ClockSeededUniform();
  UniformSource b = ClockSeededUniform();
  std::vector<float> from_a, from_b;
  for (int i = 0; i < 100000; ++i) {
    const float u = a();
    ASSERT_TRUE(u >= 0.0f && u < 1.0f) << u;
    if (i < 16) from_a.push_back(u);
  }
  for (int i = 0; i < 16; ++i) from_b.push_back(b());
  EXPECT_NE(from_a, from_b);
}

}  // namespace
}  // namespace varominea
