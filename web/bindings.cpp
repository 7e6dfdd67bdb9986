// The functions the pages call: one started saver per page, its picture in
// the module's memory for the canvas to read, and the drawing area.
#include <emscripten/emscripten.h>

#include <cstdint>
#include <memory>

#include "web/frame_source.h"

namespace {

std::unique_ptr<varominea::web::FrameSource> running;

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

// The drawing area for a canvas of width x height and ImageSize `size`,
// written to out[0..3] as left, top, width, height (all 0 for no area).
EMSCRIPTEN_KEEPALIVE void varominea_area(int width, int height, int size, std::int32_t* out) {
  const auto area = varominea::web::AreaFor(width, height, static_cast<std::int16_t>(size));
  out[0] = area.left;
  out[1] = area.top;
  out[2] = area.width;
  out[3] = area.height;
}

// N frames as fast as they go, for the benchmark page.
EMSCRIPTEN_KEEPALIVE void varominea_run(int frames) {
  for (int i = 0; i < frames && running; ++i) running->Step();
}

}  // extern "C"
