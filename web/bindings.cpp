// The functions the pages call: one started saver per page, its picture in
// the module's memory for the canvas to read, and how a canvas shows it.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "web/frame_source.h"

namespace {

std::unique_ptr<varominea::web::FrameSource> running;

constexpr std::size_t kMaxRuns = varominea::kPictureSide;
constexpr std::size_t kLayoutWords = 10 + 2 * 3 * kMaxRuns;

}  // namespace

extern "C" {

// Starts (or starts again) with ProcPattern `pattern`: 0 squares, else rings
// with new noise. Returns the address of the 256 x 256 RGBA picture, already
// drawn from the filled field, or 0 when memory is short.
EMSCRIPTEN_KEEPALIVE std::uint32_t* varominea_start(int pattern) {
  running = varominea::web::FrameSource::Start(static_cast<std::int16_t>(pattern != 0),
                                               varominea::ClockSeededUniform());
  return running ? const_cast<std::uint32_t*>(running->picture()) : nullptr;
}

// One frame: the field stepped and the picture drawn again.
EMSCRIPTEN_KEEPALIVE void varominea_step() {
  if (running) running->Step();
}

// How a canvas of width x height shows the picture with ImageSize `size`
// (varominea::web::LayoutCanvas), written to `out`, which holds
// kLayoutWords words: the area's left, top, width and height (all 0 for no
// area); the visible part's left, top, width and height; the number of
// column runs and of row runs; then each column run and each row run as
// picture column (or row), first pixel, pixel count.
EMSCRIPTEN_KEEPALIVE void varominea_layout(int width, int height, int size, std::int32_t* out) {
  const auto layout = varominea::web::LayoutCanvas(width, height, static_cast<std::int16_t>(size));
  const auto& a = layout.area;
  for (const int word : {a.left, a.top, a.width, a.height, layout.visible_left, layout.visible_top,
                         layout.visible_width, layout.visible_height}) {
    *out++ = word;
  }
  // A run per picture column or row at most, as the maps never go back.
  const auto columns = std::min(layout.columns.size(), kMaxRuns);
  const auto rows = std::min(layout.rows.size(), kMaxRuns);
  *out++ = static_cast<std::int32_t>(columns);
  *out++ = static_cast<std::int32_t>(rows);
  for (const auto* runs : {&layout.columns, &layout.rows}) {
    for (std::size_t i = 0; i < std::min(runs->size(), kMaxRuns); ++i) {
      *out++ = (*runs)[i].picture;
      *out++ = (*runs)[i].begin;
      *out++ = (*runs)[i].count;
    }
  }
}

// The words varominea_layout writes at most.
EMSCRIPTEN_KEEPALIVE int varominea_layout_words() {
  return static_cast<int>(kLayoutWords);
}

// N frames as fast as they go, for the benchmark page.
EMSCRIPTEN_KEEPALIVE void varominea_run(int frames) {
  for (int i = 0; i < frames && running; ++i) running->Step();
}

}  // extern "C"
