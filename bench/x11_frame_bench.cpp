// One frame of the X11 saver at full-screen sizes: the frame step, the
// stretch of the field into the image, and the put to the X server (shared
// memory, then a round trip so that the server has copied it), against a
// plain memcpy of the same image bytes. Needs an X display (DISPLAY) whose
// screen is at least as large as the frame; Xvfb with -screen 0 3840x2160x24
// serves both sizes.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "core/dib_header.h"
#include "core/kernel.h"
#include "core/patterns.h"
#include "core/pixel_field.h"
#include "linux/frame_layout.h"
#include "linux/pixel_format.h"
#include "linux/x11/x11_owners.h"

namespace varominea::x11 {
namespace {

struct Frame {
  std::unique_ptr<ByteField> field = ByteField::Allocate();
  KernelParamBlock params{256, 256, &field->at(1, 2)};
  FrameLayout layout;
  PixelTable colours{};

  Frame(int width, int height) : layout(LayoutFrame(width, height, 0)) {
    FillSquareField(*field);
    BuildKernel();
    DibHeaderRecord dib{};
    ReadPAL_Newton(dib);
    colours = PixelTableFor(dib, {0xFF0000, 0x00FF00, 0x0000FF});
  }
};

std::size_t Pixels(const benchmark::State& state) {
  return static_cast<std::size_t>(state.range(0)) * static_cast<std::size_t>(state.range(1));
}

// The step and the stretch into memory, without the server.
void BM_StepAndStretch(benchmark::State& state) {
  Frame frame(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  std::vector<std::uint32_t> image(Pixels(state));
  for (auto _ : state) {
    KernelStep(&frame.params);
    RenderFrame(*frame.field, frame.layout, frame.colours, 0, image.data(),
                static_cast<std::size_t>(state.range(0)));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Pixels(state) * 4));
}

// The whole frame as the saver draws it onto the root window.
void BM_WholeFrameToServer(benchmark::State& state) {
  const DisplayOwner display(XOpenDisplay(nullptr));
  if (!display) {
    state.SkipWithError("no X display");
    return;
  }
  Display* const d = display.get();
  const int screen = DefaultScreen(d);
  const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
  if (DisplayWidth(d, screen) < width || DisplayHeight(d, screen) < height ||
      DefaultDepth(d, screen) != 24 || !XShmQueryExtension(d)) {
    state.SkipWithError("needs a 24-bit screen with MIT-SHM at least this large");
    return;
  }
  Frame frame(width, height);
  ImageOwner image;
  if (!image.CreateShared(d, DefaultVisual(d, screen), 24, static_cast<unsigned>(width),
                          static_cast<unsigned>(height))) {
    state.SkipWithError("no shared-memory image");
    return;
  }
  const GcOwner gc(d, XCreateGC(d, RootWindow(d, screen), 0, nullptr));
  XImage* const xi = image.get();
  for (auto _ : state) {
    KernelStep(&frame.params);
    RenderFrame(*frame.field, frame.layout, frame.colours, 0,
                reinterpret_cast<std::uint32_t*>(xi->data),
                static_cast<std::size_t>(xi->bytes_per_line) / 4);
    XShmPutImage(d, RootWindow(d, screen), gc.get(), xi, 0, 0, 0, 0, static_cast<unsigned>(width),
                 static_cast<unsigned>(height), False);
    XSync(d, False);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Pixels(state) * 4));
}

// The floor: copying the image's bytes once.
void BM_MemcpyImage(benchmark::State& state) {
  std::vector<std::uint32_t> from(Pixels(state), 0x303030), to(Pixels(state));
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), to.size() * 4);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Pixels(state) * 4));
}

#define VAROMINEA_FRAME_SIZES Args({1920, 1080})->Args({3840, 2160})
BENCHMARK(BM_StepAndStretch)->VAROMINEA_FRAME_SIZES;
BENCHMARK(BM_WholeFrameToServer)->VAROMINEA_FRAME_SIZES;
BENCHMARK(BM_MemcpyImage)->VAROMINEA_FRAME_SIZES;

}  // namespace
}  // namespace varominea::x11
