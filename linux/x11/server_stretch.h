// The frame enlarged by the X server (RENDER) instead of by this program:
// each frame only the 256 x 256 picture goes to the server, and the server
// stretches it over the drawing area with the nearest filter. The server
// computes its sample positions in 16.16 fixed point, so a single scale
// factor can miss the exact cell boundaries of the client-side stretch;
// here the stretch is split into runs of pixels whose fixed-point positions
// provably land on the same source pixels as the exact stretch does.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "core/frame_layout.h"
#include "core/frame_source.h"

namespace varominea::x11 {

// The source pixels one destination pixel may show, inclusive (two black
// rows of the picture are equally right for a pixel of the bottom strip).
struct SourcePixels {
  int first;
  int last;
};

// Destination pixels begin .. begin + count - 1 (counted from the start of
// the visible part) that one transform covers: pixel begin + i shows source
// pixel floor((origin + i * step) / 65536).
struct ScaledRun {
  int begin = 0;
  int count = 0;
  std::int64_t origin = 0;
};

struct AxisStretch {
  std::int32_t step = 0;  // 16.16 fixed point: source pixels per destination pixel
  std::vector<ScaledRun> runs;
};

// The fewest runs (greedily) for one axis that show exactly `wanted`, with
// `step` as the scale; each run's origin lies in the middle of the values
// that would do, away from every boundary.
AxisStretch FitAxis(std::span<const SourcePixels> wanted, std::int32_t step);

struct ServerStretch {
  AxisStretch columns;
  AxisStretch rows;
};

// The runs that draw the layout's visible part as LayoutFrame and
// RenderFrame do; empty runs when nothing is visible.
ServerStretch FitServerStretch(const FrameLayout& layout);

// The matrix entry that places `run` for the server's nearest filter, when
// the composite's source origin is 0: the server evaluates the transform at
// the pixel's centre (adding half a step, rounded half up) and then steps
// back by one 1/65536 before rounding down, so that a position exactly on a
// boundary takes the pixel before it.
std::int64_t TranslationFor(const ScaledRun& run, std::int32_t step);

}  // namespace varominea::x11
