// The two ways the X11 saver draws a frame into its window, behind one
// interface: enlarged by this program (the whole visible part of the
// drawing area put to the server each frame), or enlarged by the server
// (only the 256 x 256 picture put, then stretched there with RENDER).
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <memory>

#include "core/dib_header.h"
#include "core/frame_layout.h"
#include "core/pixel_field.h"

namespace varominea::x11 {

// The window drawn into and how it stores pixels.
struct Surface {
  Window window = 0;
  Visual* visual = nullptr;
  unsigned depth = 0;
  Colormap colormap = 0;
};

// The colours of the palette on the surface's visual: from the channel
// masks on true-colour visuals (opaque where the visual has an alpha
// channel) and on direct-colour ones once their colormap holds an identity
// ramp per channel, otherwise allocated from the colormap one by one.
struct Colours {
  PixelTable table{};
  std::uint32_t black = 0;
  bool true_colour = false;  // pixel values are the channel masks' own
};
Colours ColoursFor(Display* display, const Surface& surface, const DibHeaderRecord& palette);

class Painter {
 public:
  virtual ~Painter() = default;
  // The window's new layout; the margins around the drawing area are the
  // caller's to paint.
  virtual void LayOut(const FrameLayout& layout) = 0;
  // One frame from the field into the layout's visible part. The server
  // has it when this returns, so the next frame may be drawn into the same
  // memory.
  virtual void Paint(const ByteField& field) = 0;
};

// `gc` is the caller's and outlives the painter; `shared_memory` says
// whether the server can read this client's shared memory.
std::unique_ptr<Painter> MakeClientPainter(Display* display, const Surface& surface,
                                           const Colours& colours, GC gc, bool shared_memory);
// nullptr where the server cannot: it has no RENDER with transforms and
// filters, or the window is not true colour.
std::unique_ptr<Painter> MakeServerPainter(Display* display, const Surface& surface,
                                           const Colours& colours, GC gc, bool shared_memory);

}  // namespace varominea::x11
