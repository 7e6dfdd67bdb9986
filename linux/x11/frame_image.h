// An image the frame is drawn into and put to a drawable: in shared memory
// where the server can read this client's memory, else in ordinary memory
// sent with each put. Where the image's pixels are 32-bit words in this
// machine's byte order the frame is drawn straight into it; any other pixel
// layout goes through a buffer of words and XPutPixel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "linux/x11/x11_owners.h"

namespace varominea::x11 {

// Whether the server can read this client's shared memory: a 1 x 1 segment
// attached and read back. Remote servers accept the attach and then fail.
bool SharedMemoryWorks(Display* display);

class FrameImage {
 public:
  // A width x height image; false (and none) when none can be made.
  bool Create(Display* display, Visual* visual, unsigned depth, unsigned width, unsigned height,
              bool shared_memory);
  void Reset();
  explicit operator bool() const { return image_.get() != nullptr; }

  // Where the frame is drawn, `stride()` pixels from one row to the next.
  std::uint32_t* pixels();
  std::size_t stride() const;

  // The whole image to (x, y) of `drawable`.
  void Put(Drawable drawable, GC gc, int x, int y);

 private:
  ImageOwner image_;
  bool direct_ = false;
  std::vector<std::uint32_t> buffer_;
  unsigned width_ = 0;
  unsigned height_ = 0;
};

}  // namespace varominea::x11
