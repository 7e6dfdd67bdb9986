// One frame of the Wayland saver at full-screen sizes: the frame step and
// the stretch of the field into a buffer in shared memory (a memfd mapped
// as the saver maps its wl_shm buffers), against a plain memcpy of the same
// image bytes. Needs no compositor: the compositor's own copy is its cost,
// not the saver's.
#include <benchmark/benchmark.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "core/frame_layout.h"
#include "core/frame_source.h"
#include "core/pixel_format.h"
#include "linux/file_descriptor.h"

namespace varominea::wayland {
namespace {

// A mapping of shared memory of the given size, as a wl_shm buffer's.
class SharedPixels {
 public:
  explicit SharedPixels(std::size_t count) : bytes_(count * 4) {
    const linux_saver::FileDescriptor fd(memfd_create("varominea-bench", MFD_CLOEXEC));
    if (!fd) return;
    if (ftruncate(fd.get(), static_cast<off_t>(bytes_)) == 0) {
      void* const memory = mmap(nullptr, bytes_, PROT_READ | PROT_WRITE, MAP_SHARED, fd.get(), 0);
      if (memory != MAP_FAILED) pixels_ = static_cast<std::uint32_t*>(memory);
    }
  }
  SharedPixels(const SharedPixels&) = delete;
  SharedPixels& operator=(const SharedPixels&) = delete;
  ~SharedPixels() {
    if (pixels_ != nullptr) munmap(pixels_, bytes_);
  }
  std::uint32_t* get() const { return pixels_; }

 private:
  std::size_t bytes_;
  std::uint32_t* pixels_ = nullptr;
};

std::size_t Pixels(const benchmark::State& state) {
  return static_cast<std::size_t>(state.range(0)) * static_cast<std::size_t>(state.range(1));
}

// The step and the stretch into the shared buffer, as every frame draws it.
void BM_WaylandStepAndStretch(benchmark::State& state) {
  const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
  const auto source = FrameSource::Start(0, {});
  const PixelTable colours = PixelTableFor(source->palette(), kXrgbMasks);
  const FrameLayout layout = LayoutFrame(width, height, 0);
  SharedPixels buffer(Pixels(state));
  if (buffer.get() == nullptr) {
    state.SkipWithError("no shared memory");
    return;
  }
  for (auto _ : state) {
    source->Step();
    RenderFrame(source->field(), layout, colours, 0, buffer.get(), static_cast<std::size_t>(width));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Pixels(state) * 4));
}

// The floor: copying the image's bytes once into the shared buffer.
void BM_WaylandMemcpyImage(benchmark::State& state) {
  std::vector<std::uint32_t> from(Pixels(state), 0x303030);
  SharedPixels to(Pixels(state));
  if (to.get() == nullptr) {
    state.SkipWithError("no shared memory");
    return;
  }
  for (auto _ : state) {
    std::memcpy(to.get(), from.data(), from.size() * 4);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Pixels(state) * 4));
}

BENCHMARK(BM_WaylandStepAndStretch)->Args({1920, 1080})->Args({3840, 2160});
BENCHMARK(BM_WaylandMemcpyImage)->Args({1920, 1080})->Args({3840, 2160});

}  // namespace
}  // namespace varominea::wayland
