// One frame of the X11 saver at full-screen sizes, both ways it can draw:
// enlarged by this program (the frame step, the stretch of the field into a
// full-size image, and the put to the X server through shared memory) or
// enlarged by the server (the step, the 256 x 256 picture, its put into a
// pixmap and the RENDER composite that stretches it over the screen), each
// followed by a round trip so that the server has done its part; against a
// plain memcpy of the full-size image's bytes. Needs an X display (DISPLAY)
// whose screen is at least as large as the frame; Xvfb with
// -screen 0 3840x2160x24 serves both sizes.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "core/dib_header.h"
#include "core/kernel.h"
#include "core/patterns.h"
#include "core/pixel_field.h"
#include "linux/frame_layout.h"
#include "linux/pixel_format.h"
#include "linux/x11/server_stretch.h"
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
    KernelStep(&frame.params);
    RenderFrame(*frame.field, frame.layout, frame.colours, 0, image.data(),
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
    KernelStep(&frame.params);
    RenderPicture(*frame.field, frame.colours, 0, picture.data(), kPictureSide);
    benchmark::ClobberMemory();
  }
}

// The whole frame enlarged by this program, as the saver draws it onto the
// root window where the server has no RENDER.
void BM_WholeFrameToServer(benchmark::State& state) {
  Display* const d = DisplayFor(state);
  if (d == nullptr) return;
  const int screen = DefaultScreen(d);
  const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
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

// The whole frame enlarged by the server, as the saver draws it onto the
// root window where the server has RENDER: the CPU time is this program's
// share, the real time includes the server's stretch.
void BM_WholeFrameServerStretch(benchmark::State& state) {
  Display* const d = DisplayFor(state);
  if (d == nullptr) return;
  int event_base = 0, error_base = 0;
  if (!XRenderQueryExtension(d, &event_base, &error_base)) {
    state.SkipWithError("no RENDER extension");
    return;
  }
  const int screen = DefaultScreen(d);
  const Window root = RootWindow(d, screen);
  Frame frame(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  const ServerStretch stretch = FitServerStretch(frame.layout);
  ImageOwner image;
  if (!image.CreateShared(d, DefaultVisual(d, screen), 24, kPictureSide, kPictureSide)) {
    state.SkipWithError("no shared-memory image");
    return;
  }
  XRenderPictFormat* const format = XRenderFindVisualFormat(d, DefaultVisual(d, screen));
  const PixmapOwner pixmap(d, XCreatePixmap(d, root, kPictureSide, kPictureSide, 24));
  const PictureOwner source(d, XRenderCreatePicture(d, pixmap.get(), format, 0, nullptr));
  const PictureOwner target(d, XRenderCreatePicture(d, root, format, 0, nullptr));
  XRenderSetPictureFilter(d, source.get(), FilterNearest, nullptr, 0);
  const GcOwner gc(d, XCreateGC(d, root, 0, nullptr));
  const bool single = stretch.columns.runs.size() == 1 && stretch.rows.runs.size() == 1;
  const auto set_transform = [&](const ScaledRun& columns, const ScaledRun& rows) {
    XTransform transform{};
    transform.matrix[0][0] = stretch.columns.step;
    transform.matrix[0][2] = static_cast<XFixed>(TranslationFor(columns, stretch.columns.step));
    transform.matrix[1][1] = stretch.rows.step;
    transform.matrix[1][2] = static_cast<XFixed>(TranslationFor(rows, stretch.rows.step));
    transform.matrix[2][2] = XDoubleToFixed(1);
    XRenderSetPictureTransform(d, source.get(), &transform);
  };
  if (single) set_transform(stretch.columns.runs[0], stretch.rows.runs[0]);
  XImage* const xi = image.get();
  for (auto _ : state) {
    KernelStep(&frame.params);
    RenderPicture(*frame.field, frame.colours, 0, reinterpret_cast<std::uint32_t*>(xi->data),
                  static_cast<std::size_t>(xi->bytes_per_line) / 4);
    XShmPutImage(d, pixmap.get(), gc.get(), xi, 0, 0, 0, 0, kPictureSide, kPictureSide, False);
    for (const ScaledRun& rows : stretch.rows.runs) {
      for (const ScaledRun& columns : stretch.columns.runs) {
        if (!single) set_transform(columns, rows);
        XRenderComposite(d, PictOpSrc, source.get(), 0, target.get(), 0, 0, 0, 0,
                         frame.layout.visible_left + columns.begin,
                         frame.layout.visible_top + rows.begin,
                         static_cast<unsigned>(columns.count), static_cast<unsigned>(rows.count));
      }
    }
    XSync(d, False);
  }
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
