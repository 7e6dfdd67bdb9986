// The ring smoothing's rounding contract, round-half-even(sum + 10 u in
// single precision), wherever float arithmetic runs. This file is also built
// with -mfpmath=387 (x87_rounding_tests), where the compiler keeps float
// results in the x87's wider registers as the 32-bit build does: both builds
// must give the same values and the same fields.
#include <gtest/gtest.h>

#include <cfloat>
#include <cstdint>
#include <random>

#include "core/patterns.h"
#include "core/pixel_field.h"

#if defined(VAROMINEA_X87_TEST)
static_assert(FLT_EVAL_METHOD == 2, "the x87 build must keep floats in wider registers");
#endif

namespace varominea {
namespace {

// u just above or just below 0.05: 10 u rounds to 0.5 in single precision,
// so sum + 10 u is a tie there, while the exact value lies off the tie.
constexpr float kAbove = 0x1.99999ep-5f;
constexpr float kBelow = 0x1.999996p-5f;

TEST(SmoothingRoundingTest, SumsAreRoundedInSinglePrecisionBeforeTheTieIsBroken) {
  const struct {
    int sum;
    float u;
    int expected;  // exact arithmetic would give the next value up or down
  } cases[] = {{8, kAbove, 0},      {17, kBelow, 2},     {26, kAbove, 2},     {1007, kBelow, 112},
               {1601, kBelow, 178}, {1610, kAbove, 178}, {2006, kAbove, 222}, {2294, kAbove, 254}};
  for (const auto& c : cases) {
    EXPECT_EQ(SmoothedValue(c.sum, c.u), c.expected) << c.sum << " + 10 * " << c.u;
  }
}

// FNV-1a over the field's bytes.
std::uint64_t Digest(const ByteField& field) {
  std::uint64_t hash = 0xcbf29ce484222325ULL;
  for (std::size_t i = 0; i < ByteField::kBytes; ++i) {
    hash = (hash ^ field.data()[i]) * 0x100000001b3ULL;
  }
  return hash;
}

// Whole ring fields from fixed seeds. The draws are exact multiples of 2^-24,
// as the program's own source gives them, so both builds see the same ones;
// the digests are those of the SSE build.
TEST(SmoothingRoundingTest, RingFieldsFromFixedSeedsMatchTheSseBuild) {
  const struct {
    unsigned seed;
    std::uint64_t digest;
  } cases[] = {{1, 13314298448668472356ULL},
               {2, 14839588647319239691ULL},
               {20261207, 9357915509213248021ULL}};
  for (const auto& c : cases) {
    std::mt19937 engine(c.seed);
    auto field = ByteField::Allocate();
    ASSERT_NE(field, nullptr);
    FillRingField(*field, [&] { return static_cast<float>(engine() >> 8) * 0x1p-24f; });
    EXPECT_EQ(Digest(*field), c.digest) << "seed " << c.seed;
  }
}

}  // namespace
}  // namespace varominea
