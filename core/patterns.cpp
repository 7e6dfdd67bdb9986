#include "core/patterns.h"

#include <cfloat>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <cstdint>

#if defined(__SSE_MATH__)
#include <xmmintrin.h>
#endif

namespace varominea {
namespace {

constexpr int kCentre = 128;
constexpr int kDiscRadius = 10;  // cells closer than this to the centre hold 0

// Rounds a float expression to single precision even where the compiler
// keeps intermediate results in wider x87 registers (32-bit builds without
// SSE arithmetic); elsewhere it is a no-op.
inline float AsSingle(float v) {
#if defined(FLT_EVAL_METHOD) && FLT_EVAL_METHOD == 0
  return v;
#else
  volatile float stored = v;
  return stored;
#endif
}

// Nearest integer, a tie going to the even integer: the processor's
// conversion in its default rounding mode (the program never changes it).
// It is one instruction where float arithmetic runs on SSE, and it keeps the
// chain of dependent cells in the smoothing pass short; x87 builds take the
// library's conversion, which rounds the same way.
inline int RoundHalfEven(float s) {
#if defined(__SSE_MATH__)
  return _mm_cvtss_si32(_mm_set_ss(s));
#else
  return static_cast<int>(std::lrint(s));
#endif
}

}  // namespace

int IntegerSqrt(int n) {
  if (n <= 0) return 0;
  int r = static_cast<int>(std::sqrt(static_cast<double>(n)));
  while (r * r > n) --r;
  while ((r + 1) * (r + 1) <= n) ++r;
  return r;
}

std::uint8_t SmoothedValue(int sum, float u) {
  // A source outside [0, 1) (or NaN) is pulled back into it so the
  // conversion below always stays well defined.
  constexpr float kBelowOne = 0x1.fffffep-1f;  // the largest float below 1
  u = u >= 0.0f ? u : 0.0f;                    // also catches NaN
  u = u < 1.0f ? u : kBelowOne;
  const float r = AsSingle(10.0f * u);
  const float s = AsSingle(static_cast<float>(sum) + r);
  // The largest quotient, 256 (nine cells of 255 plus noise of 8.5 or more),
  // wraps to 0.
  return static_cast<std::uint8_t>((static_cast<unsigned>(RoundHalfEven(s)) / 9u) & 255u);
}

UniformSource ClockSeededUniform() {
  // Both clocks together, so that two runs started within one tick of the
  // (possibly coarse) wall clock still get different seeds.
  const auto wall =
      static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
  const auto steady =
      static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  // SplitMix64: a 64-bit counter stepped by the golden-ratio constant and
  // scrambled. It passes the usual statistical batteries, needs one word of
  // state and costs a few instructions per draw: the ring source takes
  // 128,016 of them.
  return [state = wall ^ (steady * 0x9E3779B97F4A7C15ULL)]() mutable {
    state += 0x9E3779B97F4A7C15ULL;
    std::uint64_t z = state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    z ^= z >> 31;
    // The top 24 bits scaled by 2^-24: every float in [0, 1) on a grid of
    // 2^-24, and never 1.0f, which rounding a wider value could give.
    return static_cast<float>(z >> 40) * 0x1p-24f;
  };
}

void FillSquareField(ByteField& field) {
  // Outline i spans columns i..257-i and rows i..258-i; each is written with
  // one value, 250 for the outermost down to 123 for the innermost. Row 258
  // lies outside every outline and keeps its content.
  int c = 250;
  for (int i = 1; i <= 128; ++i) {
    const auto value = static_cast<std::uint8_t>(c);
    for (int x = i; x <= 257 - i; ++x) field.at(x, i) = value;
    for (int y = i; y <= 258 - i; ++y) field.at(i, y) = value;
    for (int x = i; x <= 257 - i; ++x) field.at(x, 258 - i) = value;
    for (int y = 258 - i; y >= i; --y) field.at(257 - i, y) = value;
    --c;
  }
}

void FillRingDistances(ByteField& field) {
  for (int y = 1; y <= ByteField::kRows; ++y) {
    for (int x = 1; x <= ByteField::kColumns; ++x) {
      const int dx = x - kCentre;
      const int dy = y - kCentre;
      int d = IntegerSqrt(dx * dx + dy * dy);  // 0..182
      if (d < kDiscRadius) d = 0;
      field.at(x, y) = static_cast<std::uint8_t>(d);
    }
  }
}

void SmoothWithNoise(ByteField& field, const UniformSource& uniform) {
  // In place: cells to the left and above already hold this pass's values.
  // Columns 1, 2, 255, 256 and rows 1, 2, 257, 258 are read, never written.
  constexpr std::ptrdiff_t kRow = ByteField::kColumns;
  std::uint8_t* const bytes = field.data();
  for (int y = 3; y <= ByteField::kRows - 2; ++y) {
    std::uint8_t* cell = bytes + ByteField::Offset(3, y);
    // The two cells to the left, kept in registers: one was written just
    // before, and reading it back from memory would lengthen the chain of
    // dependent cells.
    int left2 = cell[-2];
    int left1 = cell[-1];
    for (int x = 3; x <= ByteField::kColumns - 2; ++x, ++cell) {
      // The cells that do not depend on the previous result are summed first.
      const int others =
          cell[0] + cell[1] + cell[2] + cell[-kRow] + cell[kRow] + cell[-2 * kRow] + cell[2 * kRow];
      const int sum = (others + left2) + left1;
      const std::uint8_t value = SmoothedValue(sum, uniform());
      *cell = value;
      left2 = left1;
      left1 = value;
    }
  }
}

void FillRingField(ByteField& field, const UniformSource& uniform) {
  FillRingDistances(field);
  SmoothWithNoise(field, uniform);
  SmoothWithNoise(field, uniform);
}

}  // namespace varominea
