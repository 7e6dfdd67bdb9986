// The saver's pure parts: field, frame kernel, palette, pattern sources,
// placement and blit geometry, and the mouse-move rule.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "core/dib_header.h"
#include "core/kernel.h"
#include "core/move_detector.h"
#include "core/patterns.h"
#include "core/pixel_field.h"
#include "core/placement.h"
#include "tests/support/cells.h"

namespace varominea {
namespace {

std::unique_ptr<ByteField> NewField() {
  auto field = ByteField::Allocate();
  EXPECT_NE(field, nullptr);
  return field;
}

void FillRandom(std::uint8_t* bytes, std::size_t count, unsigned seed) {
  std::mt19937 engine(seed);
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(engine());
}

bool AllEqual(const ByteField& field, std::uint8_t value) {
  return std::all_of(field.data(), field.data() + ByteField::kBytes,
                     [value](std::uint8_t b) { return b == value; });
}

std::vector<KernelImpl> AvailableImpls() {
  std::vector<KernelImpl> impls;
  for (KernelImpl impl : {KernelImpl::Portable, KernelImpl::Sse2, KernelImpl::Avx2}) {
    if (KernelImplAvailable(impl)) impls.push_back(impl);
  }
  return impls;
}

TEST(PixelFieldTest, StartsZeroFilled) {
  EXPECT_TRUE(AllEqual(*NewField(), 0));
}

// Every implementation equals the byte-by-byte definition over Height + 2 rows
// from one row before Bits (the field's border rows included), at odd
// addresses too, writes nothing else, and 256 steps restore the bytes.
TEST(KernelTest, EveryImplementationMatchesTheByteLoop) {
  constexpr std::size_t kGuard = 64;
  for (KernelImpl impl : AvailableImpls()) {
    for (std::int32_t height : {0, 1, 256}) {
      for (std::size_t misalign : {0u, 1u, 7u}) {
        const std::size_t covered = (static_cast<std::size_t>(height) + 2) * 256;
        std::vector<std::uint8_t> buffer(covered + 2 * kGuard + misalign);
        FillRandom(buffer.data(), buffer.size(), 12345);
        buffer[kGuard + misalign] = 0;
        const std::vector<std::uint8_t> before = buffer;
        std::vector<std::uint8_t> expected = buffer;
        for (std::size_t i = kGuard + misalign; i < kGuard + misalign + covered; ++i) {
          expected[i] = static_cast<std::uint8_t>(expected[i] - 1);
        }
        const KernelParamBlock params{256, height, buffer.data() + kGuard + misalign + 256};
        KernelStepWith(impl, &params);
        EXPECT_EQ(buffer, expected) << "impl " << static_cast<int>(impl) << " height " << height
                                    << " misalign " << misalign;
        for (int n = 1; n < 256; ++n) KernelStepWith(impl, &params);
        EXPECT_EQ(buffer, before) << "impl " << static_cast<int>(impl) << " height " << height;
      }
    }
  }
}

TEST(KernelTest, BuildChoosesTheFastestOnceAndStepsThroughIt) {
  BuildKernel();
  const KernelImpl first = BuiltKernel();
  BuildKernel();
  EXPECT_EQ(BuiltKernel(), first);
  EXPECT_EQ(first, AvailableImpls().back());
  auto field = NewField();
  const KernelParamBlock params{256, 256, &field->at(1, 2)};
  KernelStep(&params);
  EXPECT_TRUE(AllEqual(*field, 255));
  // No field allocated, or no block at all: nothing is read or written (the
  // sanitizer build would report it).
  const KernelParamBlock unfilled;
  KernelStep(&unfilled);
  KernelStep(nullptr);
}

// Telling entries, then the rule: a walk in steps of 8 per changing channel
// within 48..224 (entry 177 apart), repeating from 178; the header untouched.
TEST(PaletteTest, ColourTable) {
  DibHeaderRecord dib;
  std::memset(&dib, 0xAB, sizeof dib);
  ReadPAL_Newton(dib);
  const struct {
    int i, red, green, blue;
  } telling[] = {{0, 48, 48, 48},   {1, 56, 48, 56},      {21, 216, 48, 216},  {43, 56, 48, 224},
                 {88, 48, 224, 48}, {110, 224, 224, 224}, {175, 56, 48, 48},   {176, 48, 48, 48},
                 {177, 40, 48, 48}, {178, 48, 48, 48},    {199, 216, 48, 216}, {255, 48, 224, 136}};
  const auto rgb = [&](int i) {
    const RgbQuad& q = dib.bmiColors[i];
    return std::array<int, 3>{q.rgbRed, q.rgbGreen, q.rgbBlue};
  };
  for (const auto& t : telling) {
    EXPECT_EQ(rgb(t.i), (std::array<int, 3>{t.red, t.green, t.blue})) << "entry " << t.i;
  }
  for (int i = 0; i < 256; ++i) {
    const RgbQuad& q = dib.bmiColors[i];
    EXPECT_EQ(q.rgbReserved, 0) << "entry " << i;
    int changed = 0;
    for (int c = 0; c < 3; ++c) {
      const int v = rgb(i)[c];
      EXPECT_TRUE(i == 177 || (v >= 48 && v <= 224 && v % 8 == 0)) << "entry " << i;
      if (i >= 1 && i <= 177) {
        const int step = v - rgb(i - 1)[c];
        EXPECT_TRUE(step == 0 || std::abs(step) == 8) << "entry " << i;
        changed += step != 0;
      }
    }
    EXPECT_TRUE(i == 0 || i > 177 || changed >= 1) << "entry " << i;
    EXPECT_TRUE(i < 178 || std::memcmp(&q, &dib.bmiColors[i - 178], sizeof q) == 0) << i;
  }
  const auto* header = reinterpret_cast<const unsigned char*>(&dib.bmiHeader);
  EXPECT_TRUE(std::all_of(header, header + sizeof dib.bmiHeader, [](auto b) { return b == 0xAB; }));
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
  } cases[] = {{0, 0.03f, 176},    {0, 0.45f, 176},  // 1592.5: a tie, to even 1592
               {0, 0.46f, 177},    {0, 0.5f, 177},
               {255, 0.85f, 0},  // 2303.5: a tie, to even 2304 = 9 * 256
               {255, 0.849f, 255}, {255, 0.0f, 255}};
  for (const auto& c : cases) {
    auto field = NewField();
    if (c.fill == 0) FillRingDistances(*field);
    if (c.fill != 0) std::fill(field->data(), field->data() + ByteField::kBytes, c.fill);
    SmoothWithNoise(*field, FirstThenSeeded(c.u, 1));
    EXPECT_EQ(field->at(3, 3), c.expected) << "fill " << int{c.fill} << " u " << c.u;
  }
  // Ties where rounding half up or down would differ; draws held inside [0, 1).
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
}

TEST(RingPatternTest, ClockSeededDrawsLieInTheUnitIntervalAndSeedsDiffer) {
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

TEST(SaverPlacementTest, CentringOuterExtentAndUnknownSizes) {
  EXPECT_FALSE(DrawingAreaFor(3, 1024, 768));  // the area keeps its size
  EXPECT_FALSE(DrawingAreaFor(-1, 1024, 768));
  EXPECT_EQ(CentredOffset(1023, 800), 111.5);  // the window system rounds
  EXPECT_EQ(CentredOffset(479, 600), -60.5);
  EXPECT_EQ(CentredOffset(-32768, 0), -16384.0);
  EXPECT_EQ(CentredOffset(32767, 0), 16383.5);
  EXPECT_FALSE(CentredOffset(-32768, 1));  // 16-bit subtraction overflows
  EXPECT_FALSE(CentredOffset(32767, -1));
  // As whole pixels, halves go to even.
  EXPECT_EQ(CentredPixel(1023, 800), 112);
  EXPECT_EQ(CentredPixel(1025, 800), 112);
  EXPECT_EQ(CentredPixel(479, 600), -60);
  EXPECT_FALSE(CentredPixel(-32768, 1));
  // Whole twips per pixel; an unknown density counts as 96 dpi, and no
  // density gives 0.
  EXPECT_EQ(TwipsPerPixel(96), 15);
  EXPECT_EQ(TwipsPerPixel(120), 12);
  EXPECT_EQ(TwipsPerPixel(144), 10);
  EXPECT_EQ(TwipsPerPixel(192), 8);  // 7.5 rounds up
  EXPECT_EQ(TwipsPerPixel(0), 15);
  EXPECT_EQ(TwipsPerPixel(-96), 15);
  EXPECT_EQ(TwipsPerPixel(100000), 1);
  // Up to 2,184 px at 96 dpi the window is 15 times the screen; beyond, that
  // would pass 32,767 px, and it is the screen's size. Denser displays reach
  // the limit later, and no screen is large enough to overflow the product.
  EXPECT_EQ(SaverWindowExtentPx(1024, 96), 15360);
  EXPECT_EQ(SaverWindowExtentPx(2184, 96), 32760);
  EXPECT_EQ(SaverWindowExtentPx(2185, 96), 2185);
  EXPECT_EQ(SaverWindowExtentPx(4095, 192), 32760);
  EXPECT_EQ(SaverWindowExtentPx(4096, 192), 4096);
  EXPECT_EQ(SaverWindowExtentPx(3840, 1), 3840);
  EXPECT_EQ(SaverWindowExtentPx(0, 96), 0);
}

TEST(SaverBlitGeometryTest, SourceStartsOneColumnLeftAndTwoRowsBelowTheBitmap) {
  const FrameBlit blit = FrameBlitFor(800, 600);
  EXPECT_EQ((std::array{blit.dest_x, blit.dest_y, blit.dest_width, blit.dest_height, blit.src_x,
                        blit.src_y, blit.src_width, blit.src_height}),
            (std::array{0, 0, 800, 600, -1, -2, 256, 256}));
  // The strips and cells on screen are checked by the end-to-end pixel probes.
  EXPECT_DOUBLE_EQ(test::LeftStripColumns(blit).end, 3.125);
  EXPECT_DOUBLE_EQ(test::BottomStripRows(blit).begin, 600 - 4.6875);
  EXPECT_DOUBLE_EQ(test::CellColumns(blit, 128).begin, 400);
  EXPECT_DOUBLE_EQ(test::CellRows(blit, 128).end, 300);
  // The pixel the screen probes sample lies wholly inside its span.
  EXPECT_EQ(test::InteriorPixel({4, 8}), 6);
  EXPECT_EQ(test::InteriorPixel({595.3125, 597.65625}), 596);
  EXPECT_EQ(test::InteriorPixel({-2.5, 0.25}), -2);
  EXPECT_EQ(test::InteriorPixel({2.5, 3.5}), std::nullopt);
  for (double begin = -3; begin < 3; begin += 0.0625) {
    if (const auto pixel = test::InteriorPixel({begin, begin + 1.875})) {
      EXPECT_GE(*pixel, begin);
      EXPECT_LE(*pixel + 1, begin + 1.875);
    }
  }
}

// The first event with arguments only records its position, which never
// changes; an event ends the saver when x and y both differ from it. With an
// empty command line no event ends it or is recorded.
TEST(MoveDetectorTest, OnlyAMoveInBothCoordinatesFromTheFirstPositionEnds) {
  const struct {
    bool empty;
    float x, y;
    bool ends;
  } events[] = {{true, 50, 50, false},    {true, 9, 9, false},      {false, 100, 100, false},
                {false, 150, 100, false}, {false, 100, 150, false}, {false, 300, 100, false},
                {false, 100, 300, false}, {false, 100, 100, false}, {false, 101, 99, true}};
  MoveDetector detector;
  for (const auto& e : events) {
    EXPECT_EQ(detector.IsRealMove(e.empty, e.x, e.y), e.ends) << e.x << ", " << e.y;
  }
  MoveDetector exact;
  EXPECT_FALSE(exact.IsRealMove(false, 10.0f, 10.0f));
  EXPECT_TRUE(exact.IsRealMove(false, 10.5f, 10.25f));
}

}  // namespace
}  // namespace varominea
