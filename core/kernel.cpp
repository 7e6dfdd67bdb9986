#include "core/kernel.h"

#include <cstddef>
#include <cstring>

#include "core/pixel_field.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define VAROMINEA_X86 1
// GCC cannot realign the stack for 32-byte vectors in 64-bit Windows code, and
// an unoptimised build spills them there; only optimised Windows builds get
// the AVX2 step. Optimised code keeps its few vectors in registers.
#if !defined(_WIN32) || defined(__OPTIMIZE__)
#define VAROMINEA_HAS_AVX2 1
#endif
#endif

namespace varominea {

KernelParamBlock KernelParamsOver(ByteField& field) {
  return {256, 256, &field.at(1, 2)};
}
namespace {

using StepFn = void (*)(std::uint8_t* bytes, std::size_t count);

// Each implementation lowers `count` bytes (a multiple of 256, since it covers
// whole rows) by one, wrapping 0 to 255. None tests or branches on a cell.

// Eight bytes per operation in a 64-bit word. Forcing bit 7 of every byte
// before subtracting 1 from each keeps the borrow inside its byte; the xor
// then restores bit 7 where it was clear. The inner loop has a fixed count
// of one row, which lets the compiler widen it to the target's own vectors.
void StepPortable(std::uint8_t* bytes, std::size_t count) {
  constexpr std::uint64_t kLow = 0x0101010101010101ULL;
  constexpr std::uint64_t kHigh = 0x8080808080808080ULL;
  constexpr std::size_t kRow = ByteField::kColumns;
  for (std::size_t row = 0; row < count; row += kRow) {
    std::uint8_t* p = bytes + row;
    for (std::size_t i = 0; i < kRow; i += 8) {
      std::uint64_t word;
      std::memcpy(&word, p + i, sizeof word);
      word = ((word | kHigh) - kLow) ^ (~word & kHigh);
      std::memcpy(p + i, &word, sizeof word);
    }
  }
}

#if VAROMINEA_X86
// Adding all-ones is a wrapping subtraction of 1 in every byte lane. The
// loads are unaligned ones: the block may point anywhere.
__attribute__((target("sse2"))) void StepSse2(std::uint8_t* bytes, std::size_t count) {
  const __m128i minus_one = _mm_set1_epi8(-1);
  for (std::size_t i = 0; i < count; i += 64) {
    auto* p = reinterpret_cast<__m128i*>(bytes + i);
    const __m128i a = _mm_loadu_si128(p);
    const __m128i b = _mm_loadu_si128(p + 1);
    const __m128i c = _mm_loadu_si128(p + 2);
    const __m128i d = _mm_loadu_si128(p + 3);
    _mm_storeu_si128(p, _mm_add_epi8(a, minus_one));
    _mm_storeu_si128(p + 1, _mm_add_epi8(b, minus_one));
    _mm_storeu_si128(p + 2, _mm_add_epi8(c, minus_one));
    _mm_storeu_si128(p + 3, _mm_add_epi8(d, minus_one));
  }
}
#endif

#if VAROMINEA_HAS_AVX2
__attribute__((target("avx2"))) void StepAvx2(std::uint8_t* bytes, std::size_t count) {
  const __m256i minus_one = _mm256_set1_epi8(-1);
  for (std::size_t i = 0; i < count; i += 128) {
    auto* p = reinterpret_cast<__m256i*>(bytes + i);
    const __m256i a = _mm256_loadu_si256(p);
    const __m256i b = _mm256_loadu_si256(p + 1);
    const __m256i c = _mm256_loadu_si256(p + 2);
    const __m256i d = _mm256_loadu_si256(p + 3);
    _mm256_storeu_si256(p, _mm256_add_epi8(a, minus_one));
    _mm256_storeu_si256(p + 1, _mm256_add_epi8(b, minus_one));
    _mm256_storeu_si256(p + 2, _mm256_add_epi8(c, minus_one));
    _mm256_storeu_si256(p + 3, _mm256_add_epi8(d, minus_one));
  }
  // Whole rows are 256 bytes, so `count` is a multiple of 128: no tail.
}
#endif

StepFn StepFor(KernelImpl impl) {
  switch (impl) {
#if VAROMINEA_X86
    case KernelImpl::Sse2:
      return StepSse2;
#endif
#if VAROMINEA_HAS_AVX2
    case KernelImpl::Avx2:
      return StepAvx2;
#endif
    default:
      return StepPortable;
  }
}

KernelImpl Fastest() {
  if (KernelImplAvailable(KernelImpl::Avx2)) return KernelImpl::Avx2;
  if (KernelImplAvailable(KernelImpl::Sse2)) return KernelImpl::Sse2;
  return KernelImpl::Portable;
}

// Chosen on first use (BuildKernel) and never again: a constant for the rest
// of the process.
KernelImpl Chosen() {
  static const KernelImpl chosen = Fastest();
  return chosen;
}

StepFn ChosenStep() {
  static const StepFn step = StepFor(Chosen());
  return step;
}

void Run(StepFn step, const KernelParamBlock* params) {
  // A block that set-up never filled (no field allocated) is left alone
  // rather than written through a null or meaningless address.
  if (params == nullptr || params->Bits == nullptr || params->Height < 0) return;
  constexpr std::size_t kRow = ByteField::kColumns;
  const std::size_t rows = static_cast<std::size_t>(params->Height) + 2;
  step(params->Bits - kRow, rows * kRow);
}

}  // namespace

bool KernelImplAvailable(KernelImpl impl) {
  switch (impl) {
    case KernelImpl::Portable:
      return true;
    case KernelImpl::Sse2:
#if VAROMINEA_X86
      __builtin_cpu_init();
      return __builtin_cpu_supports("sse2") != 0;
#else
      return false;
#endif
    case KernelImpl::Avx2:
#if VAROMINEA_HAS_AVX2
      // Also reports whether the operating system saves the YMM registers.
      __builtin_cpu_init();
      return __builtin_cpu_supports("avx2") != 0;
#else
      return false;
#endif
  }
  return false;
}

void KernelStepWith(KernelImpl impl, const KernelParamBlock* params) {
  // An implementation the processor lacks never runs; the portable one does.
  Run(KernelImplAvailable(impl) ? StepFor(impl) : StepPortable, params);
}

void BuildKernel() {
  static_cast<void>(ChosenStep());
}

KernelImpl BuiltKernel() {
  return Chosen();
}

std::int32_t KernelStep(const KernelParamBlock* params) {
  Run(ChosenStep(), params);
  return 0;
}

}  // namespace varominea
