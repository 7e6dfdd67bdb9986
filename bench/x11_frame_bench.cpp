// One frame of the X11 saver at full-screen sizes, both ways it can draw,
// through the saver's own painters: enlarged by this program (the frame
// step, the stretch of the field into a full-size image, and the put to the
// X server through shared memory) or enlarged by the server (the step, the
// 256 x 256 picture, its put into a pixmap and the RENDER composite that
// stretches it over the screen), each followed by a round trip so that the
// server has done its part; against a
// plain memcpy of the full-size image's bytes. Needs an X display (DISPLAY)
// whose screen is at least as large as the frame; Xvfb with
// -screen 0 3840x2160x24 serves both sizes.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "core/frame_layout.h"
#include "core/frame_source.h"
#include "core/pixel_format.h"
#include "linux/x11/painters.h"
#include "linux/x11/server_stretch.h"
#include "linux/x11/x11_owners.h"

namespace varominea::x11 {
namespace {

struct Frame {
  std::unique_ptr<FrameSource> source = FrameSource::Start(0, {});
  FrameLayout layout;
  PixelTable colours = PixelTableFor(source->palette(), kXrgbMasks);

  Frame(int width, int height) : layout(LayoutFrame(width, height, 0)) {}
};

std::size_t Pixels(const benchmark::State& state) {
  return static_cast<std::size_t>(state.range(0)) * static_cast<std::size_t>(state.range(1));
}

// One connection for the whole run. A server resets when its last client
// leaves, and a connection opened during the reset fails; one repetition
// failing where the others ran would abort the statistics over them.
Display* TheDisplay() {
  static const DisplayOwner display(XOpenDisplay(nullptr));
  return display.get();
}

// The display when its screen can take the frame; otherwise the run is
// skipped (every repetition alike) and nullptr returned.
Display* DisplayFor(benchmark::State& state) {
  Display* const d = TheDisplay();
  if (d == nullptr) {
    state.SkipWithError("no X display");
    return nullptr;
  }
  const int screen = DefaultScreen(d);
  if (DisplayWidth(d, screen) < state.range(0) || DisplayHeight(d, screen) < state.range(1) ||
      DefaultDepth(d, screen) != 24 || !XShmQueryExtension(d)) {
    state.SkipWithError("needs a 24-bit screen with MIT-SHM at least this large");
    return nullptr;
  }
  return d;
}

// The step and the stretch into memory, without the server.
void BM_StepAndStretch(benchmark::State& state) {
  Frame frame(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  std::vector<std::uint32_t> image(Pixels(state));
  for (auto _ : state) {
    frame.source->Step();
    RenderFrame(frame.source->field(), frame.layout, frame.colours, 0, image.data(),
                static_cast<std::size_t>(state.range(0)));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Pixels(state) * 4));
}

// The step and the 256 x 256 picture the server enlarges, without the
// server: the same at every screen size.
void BM_StepAndPicture(benchmark::State& state) {
  Frame frame(1, 1);
  std::vector<std::uint32_t> picture(std::size_t{kPictureSide} * kPictureSide);
  for (auto _ : state) {
    frame.source->Step();
    RenderPicture(frame.source->field(), frame.colours, 0, picture.data(), kPictureSide);
    benchmark::ClobberMemory();
  }
}

using MakePainter = std::unique_ptr<Painter> (*)(Display*, const Surface&, const Colours&, GC,
                                                 bool);

// Steps and paints onto the root window with one of the saver's own
// painters, each frame followed by the painter's round trip; false (the run
// skipped) where the display cannot take the frame or the painter cannot
// be made.
bool PaintFrames(benchmark::State& state, MakePainter make) {
  Display* const d = DisplayFor(state);
  if (d == nullptr) return false;
  Frame frame(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  const int screen = DefaultScreen(d);
  const Surface root{RootWindow(d, screen), DefaultVisual(d, screen),
                     static_cast<unsigned>(DefaultDepth(d, screen)), DefaultColormap(d, screen)};
  const GcOwner gc(d, XCreateGC(d, root.window, 0, nullptr));
  const auto painter = make(d, root, ColoursFor(d, root, frame.source->palette()), gc.get(), true);
  if (!painter) {
    state.SkipWithError("the server cannot enlarge the picture (RENDER)");
    return false;
  }
  painter->LayOut(frame.layout);
  for (auto _ : state) {
    frame.source->Step();
    painter->Paint(frame.source->field());
  }
  return true;
}

// The whole frame enlarged by this program, as the saver draws it onto the
// root window where the server has no RENDER.
void BM_WholeFrameToServer(benchmark::State& state) {
  if (!PaintFrames(state, MakeClientPainter)) return;
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Pixels(state) * 4));
}

// The whole frame enlarged by the server, as the saver draws it onto the
// root window where the server has RENDER: the CPU time is this program's
// share, the real time includes the server's stretch.
void BM_WholeFrameServerStretch(benchmark::State& state) {
  if (!PaintFrames(state, MakeServerPainter)) return;
  const ServerStretch stretch = FitServerStretch(
      LayoutFrame(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), 0));
  state.counters["composites"] =
      static_cast<double>(stretch.columns.runs.size() * stretch.rows.runs.size());
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
BENCHMARK(BM_StepAndPicture);
BENCHMARK(BM_WholeFrameToServer)->VAROMINEA_FRAME_SIZES;
BENCHMARK(BM_WholeFrameServerStretch)->VAROMINEA_FRAME_SIZES;
BENCHMARK(BM_MemcpyImage)->VAROMINEA_FRAME_SIZES;

}  // namespace
}  // namespace varominea::x11
