// One frame step over the whole 66,048-byte field, per implementation,
// against a plain byte loop and against memcpy of the same bytes (the floor
// for touching that much memory while it sits in cache).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "core/kernel.h"
#include "core/pixel_field.h"

namespace varominea {
namespace {

constexpr std::int64_t kFieldBytes = static_cast<std::int64_t>(ByteField::kBytes);

struct Field {
  std::unique_ptr<ByteField> field = ByteField::Allocate();
  KernelParamBlock params{256, 256, &field->at(1, 2)};
};

void BM_KernelStepWith(benchmark::State& state, KernelImpl impl) {
  if (!KernelImplAvailable(impl)) {
    state.SkipWithError("not supported by this processor");
    return;
  }
  Field f;
  for (auto _ : state) {
    KernelStepWith(impl, &f.params);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * kFieldBytes);
}
BENCHMARK_CAPTURE(BM_KernelStepWith, Portable, KernelImpl::Portable);
BENCHMARK_CAPTURE(BM_KernelStepWith, Sse2, KernelImpl::Sse2);
BENCHMARK_CAPTURE(BM_KernelStepWith, Avx2, KernelImpl::Avx2);

// What the animation loop calls: the implementation BuildKernel chose.
void BM_KernelStepBuilt(benchmark::State& state) {
  BuildKernel();
  Field f;
  for (auto _ : state) {
    benchmark::DoNotOptimize(KernelStep(&f.params));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * kFieldBytes);
  state.SetLabel(BuiltKernel() == KernelImpl::Avx2   ? "avx2"
                 : BuiltKernel() == KernelImpl::Sse2 ? "sse2"
                                                     : "portable");
}
BENCHMARK(BM_KernelStepBuilt);

// The definition written out: one byte at a time, as the compiler sees fit
// (it may vectorise this loop itself).
void BM_PlainByteLoop(benchmark::State& state) {
  Field f;
  for (auto _ : state) {
    std::uint8_t* bytes = f.field->data();
    for (std::size_t i = 0; i < ByteField::kBytes; ++i)
      bytes[i] = static_cast<std::uint8_t>(bytes[i] - 1);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * kFieldBytes);
}
BENCHMARK(BM_PlainByteLoop);

void BM_Memcpy(benchmark::State& state) {
  Field f;
  std::vector<std::uint8_t> target(ByteField::kBytes);
  for (auto _ : state) {
    std::memcpy(target.data(), f.field->data(), ByteField::kBytes);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * kFieldBytes);
}
BENCHMARK(BM_Memcpy);

}  // namespace
}  // namespace varominea
