// Time to write the starting content of the field: the ring source with its
// 128,016 noise draws (seeding included, as each saver run does it) and the
// square source.
#include <benchmark/benchmark.h>

#include "core/patterns.h"

namespace varominea {
namespace {

void BM_FillRingField(benchmark::State& state) {
  auto field = ByteField::Allocate();
  for (auto _ : state) {
    FillRingField(*field, ClockSeededUniform());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_FillRingField)->Unit(benchmark::kMillisecond);

void BM_FillSquareField(benchmark::State& state) {
  auto field = ByteField::Allocate();
  for (auto _ : state) {
    FillSquareField(*field);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_FillSquareField)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace varominea
