#include "linux/x11/frame_image.h"

#include <bit>

#include "linux/x11/x_errors.h"

namespace varominea::x11 {
namespace {

// Pixels that are 32-bit words as this machine stores them.
bool NativeWords(const XImage& image) {
  return image.bits_per_pixel == 32 &&
         image.byte_order == ((std::endian::native == std::endian::little) ? LSBFirst : MSBFirst);
}

// A shared image, or none where the server refuses the segment (BadAccess)
// or the read of it (BadMatch).
bool CreateSharedChecked(ImageOwner& image, Display* display, Visual* visual, unsigned depth,
                         unsigned width, unsigned height) {
  ErrorTrap trap(display, {BadAccess, BadMatch});
  if (!image.CreateShared(display, visual, depth, width, height)) return false;
  if (!trap.Caught()) return true;
  image.Reset();
  return false;
}

}  // namespace

bool SharedMemoryWorks(Display* display) {
  if (!XShmQueryExtension(display)) return false;
  const int screen = DefaultScreen(display);
  ImageOwner probe;
  if (!CreateSharedChecked(probe, display, DefaultVisual(display, screen),
                           static_cast<unsigned>(DefaultDepth(display, screen)), 1, 1)) {
    return false;
  }
  ErrorTrap trap(display, {BadAccess, BadMatch});
  return XShmGetImage(display, RootWindow(display, screen), probe.get(), 0, 0, AllPlanes) != 0 &&
         !trap.Caught();
}

bool FrameImage::Create(Display* display, Visual* visual, unsigned depth, unsigned width,
                        unsigned height, bool shared_memory) {
  Reset();
  if (!(shared_memory && CreateSharedChecked(image_, display, visual, depth, width, height)) &&
      !image_.CreatePlain(display, visual, depth, width, height)) {
    return false;
  }
  width_ = width;
  height_ = height;
  direct_ = NativeWords(*image_.get());
  if (!direct_) buffer_.resize(std::size_t{width} * height);
  return true;
}

void FrameImage::Reset() {
  image_.Reset();
  direct_ = false;
  buffer_.clear();
  width_ = height_ = 0;
}

std::uint32_t* FrameImage::pixels() {
  return direct_ ? reinterpret_cast<std::uint32_t*>(image_.get()->data) : buffer_.data();
}

std::size_t FrameImage::stride() const {
  return direct_ ? static_cast<std::size_t>(image_.get()->bytes_per_line) / 4 : width_;
}

void FrameImage::Put(Drawable drawable, GC gc, int x, int y) {
  XImage* const image = image_.get();
  Display* const display = image_.display();
  if (!direct_) {
    for (unsigned row = 0; row < height_; ++row) {
      const std::uint32_t* const words = buffer_.data() + std::size_t{width_} * row;
      for (unsigned column = 0; column < width_; ++column) {
        XPutPixel(image, static_cast<int>(column), static_cast<int>(row), words[column]);
      }
    }
  }
  if (image_.shared()) {
    XShmPutImage(display, drawable, gc, image, 0, 0, x, y, width_, height_, False);
  } else {
    XPutImage(display, drawable, gc, image, 0, 0, x, y, width_, height_);
  }
}

}  // namespace varominea::x11
