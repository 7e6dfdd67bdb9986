#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "saver/kernel.h"
#include "saver/pixel_field.h"

namespace varominea {
namespace {

std::vector<KernelImpl> AvailableImpls() {
  std::vector<KernelImpl> impls;
  for (KernelImpl impl : {KernelImpl::Portable, KernelImpl::Sse2, KernelImpl::Avx2}) {
    if (KernelImplAvailable(impl)) impls.push_back(impl);
  }
  return impls;
}

void FillRandom(std::uint8_t* bytes, std::size_t count, unsigned seed) {
  std::mt19937 engine(seed);
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(engine());
}

bool AllEqual(const ByteField& field, std::uint8_t value) {
  return std::all_of(field.data(), field.data() + ByteField::kBytes,
                     [value](std::uint8_t b) { return b == value; });
}

TEST(PixelFieldTest, ZeroFilledAndLaidOutRowByRow) {
  EXPECT_EQ(ByteField::kBytes, 66048u);
  EXPECT_EQ(ByteField::Offset(2, 1), 1u);
  EXPECT_EQ(ByteField::Offset(1, 2), 256u);
  EXPECT_EQ(ByteField::Offset(256, 258), 66047u);
  auto field = ByteField::Allocate();
  ASSERT_NE(field, nullptr);
  EXPECT_TRUE(AllEqual(*field, 0));
  EXPECT_EQ(&field->at(1, 2) - 256, &field->at(1, 1));
}

// Every implementation the processor has equals the byte-by-byte definition
// over Height + 2 rows from one row before Bits, also at odd addresses, and
// writes nothing outside them.
TEST(KernelTest, EveryImplementationMatchesTheByteLoop) {
  constexpr std::size_t kGuard = 64;
  for (KernelImpl impl : AvailableImpls()) {
    for (std::int32_t height : {0, 1, 256}) {
      for (std::size_t misalign : {0u, 1u, 7u}) {
        const std::size_t covered = (static_cast<std::size_t>(height) + 2) * 256;
        std::vector<std::uint8_t> buffer(covered + 2 * kGuard + misalign);
        FillRandom(buffer.data(), buffer.size(), 12345);
        std::vector<std::uint8_t> expected = buffer;
        for (std::size_t i = kGuard + misalign; i < kGuard + misalign + covered; ++i) {
          expected[i] = static_cast<std::uint8_t>(expected[i] - 1);
        }
        const KernelParamBlock params{256, height, buffer.data() + kGuard + misalign + 256};
        KernelStepWith(impl, &params);
        EXPECT_EQ(buffer, expected) << "impl " << static_cast<int>(impl) << " height " << height
                                    << " misalign " << misalign;
      }
    }
  }
}

TEST(KernelTest, BorderRowsAreSteppedAnd256StepsRestoreTheField) {
  for (KernelImpl impl : AvailableImpls()) {
    auto field = ByteField::Allocate();
    ASSERT_NE(field, nullptr);
    FillRandom(field->data(), ByteField::kBytes, 777);
    field->at(1, 1) = 0;
    field->at(256, 258) = 0;
    field->at(100, 100) = 255;
    const std::vector<std::uint8_t> before(field->data(), field->data() + ByteField::kBytes);
    const KernelParamBlock params{256, 256, &field->at(1, 2)};
    KernelStepWith(impl, &params);
    EXPECT_EQ(field->at(1, 1), 255);
    EXPECT_EQ(field->at(256, 258), 255);
    EXPECT_EQ(field->at(100, 100), 254);
    for (int n = 1; n < 256; ++n) KernelStepWith(impl, &params);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), field->data()))
        << "impl " << static_cast<int>(impl);
  }
}

TEST(KernelTest, BuildChoosesTheFastestOnceAndStepsThroughIt) {
  BuildKernel();
  const KernelImpl first = BuiltKernel();
  BuildKernel();
  EXPECT_EQ(BuiltKernel(), first);
  EXPECT_EQ(first, AvailableImpls().back());

  auto field = ByteField::Allocate();
  ASSERT_NE(field, nullptr);
  const KernelParamBlock params{256, 256, &field->at(1, 2)};
  EXPECT_EQ(KernelStep(&params), 0);
  EXPECT_TRUE(AllEqual(*field, 255));

  const KernelParamBlock unfilled;  // no field allocated: nothing is written
  EXPECT_EQ(KernelStep(&unfilled), 0);
  EXPECT_EQ(KernelStep(nullptr), 0);
}

}  // namespace
}  // namespace varominea
