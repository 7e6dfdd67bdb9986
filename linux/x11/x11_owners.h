// Owners of the X resources the saver holds: each closes, frees or detaches
// exactly one thing, once. Not copyable.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/Xrender.h>
#include <sys/shm.h>

#include <cstddef>
#include <cstdlib>

namespace varominea::x11 {

class DisplayOwner {
 public:
  explicit DisplayOwner(Display* display) : display_(display) {}
  DisplayOwner(const DisplayOwner&) = delete;
  DisplayOwner& operator=(const DisplayOwner&) = delete;
  ~DisplayOwner() {
    if (display_ != nullptr) XCloseDisplay(display_);
  }
  Display* get() const { return display_; }
  explicit operator bool() const { return display_ != nullptr; }

 private:
  Display* display_;
};

// A resource this program created on the display, freed by `Free` with its
// owner.
template <typename Handle, auto Free>
class DisplayResource {
 public:
  DisplayResource(Display* display, Handle handle) : display_(display), handle_(handle) {}
  DisplayResource(const DisplayResource&) = delete;
  DisplayResource& operator=(const DisplayResource&) = delete;
  ~DisplayResource() {
    if (handle_ != Handle{}) Free(display_, handle_);
  }
  Handle get() const { return handle_; }

 private:
  Display* display_;
  Handle handle_;
};

using WindowOwner = DisplayResource<Window, &XDestroyWindow>;
using GcOwner = DisplayResource<GC, &XFreeGC>;
using PixmapOwner = DisplayResource<Pixmap, &XFreePixmap>;
using PictureOwner = DisplayResource<Picture, &XRenderFreePicture>;

// A client-side ZPixmap image in the server's format, its pixels either in
// a shared-memory segment the server reads directly, or in ordinary memory
// sent with each put. Non-movable: the shared image points at the segment
// record held here.
class ImageOwner {
 public:
  ImageOwner() = default;
  ImageOwner(const ImageOwner&) = delete;
  ImageOwner& operator=(const ImageOwner&) = delete;
  ~ImageOwner() { Reset(); }

  // False (and nothing held) when the segment cannot be made or attached.
  bool CreateShared(Display* display, Visual* visual, unsigned depth, unsigned width,
                    unsigned height) {
    Reset();
    display_ = display;
    shared_ = true;
    image_ = XShmCreateImage(display, visual, depth, ZPixmap, nullptr, &segment_, width, height);
    if (image_ == nullptr) return Fail();
    const std::size_t bytes = static_cast<std::size_t>(image_->bytes_per_line) * height;
    segment_.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (segment_.shmid < 0) return Fail();
    void* const address = shmat(segment_.shmid, nullptr, 0);
    // Marked for removal now: the segment goes when the last user detaches,
    // even if this process is killed.
    shmctl(segment_.shmid, IPC_RMID, nullptr);
    if (address == reinterpret_cast<void*>(-1)) return Fail();
    segment_.shmaddr = image_->data = static_cast<char*>(address);
    segment_.readOnly = False;
    if (!XShmAttach(display, &segment_)) return Fail();
    attached_ = true;
    XSync(display, False);
    return true;
  }

  bool CreatePlain(Display* display, Visual* visual, unsigned depth, unsigned width,
                   unsigned height) {
    Reset();
    display_ = display;
    image_ = XCreateImage(display, visual, depth, ZPixmap, 0, nullptr, width, height, 32, 0);
    if (image_ == nullptr) return false;
    const std::size_t bytes = static_cast<std::size_t>(image_->bytes_per_line) * height;
    // XDestroyImage frees the data with free().
    image_->data = static_cast<char*>(std::calloc(bytes == 0 ? 1 : bytes, 1));
    if (image_->data == nullptr) {
      Reset();
      return false;
    }
    return true;
  }

  void Reset() {
    if (shared_) {
      if (attached_) {
        XShmDetach(display_, &segment_);
        XSync(display_, False);
      }
      if (image_ != nullptr) {
        image_->data = nullptr;  // the segment is not the image's to free
        XDestroyImage(image_);
      }
      if (segment_.shmaddr != nullptr) shmdt(segment_.shmaddr);
    } else if (image_ != nullptr) {
      XDestroyImage(image_);
    }
    image_ = nullptr;
    segment_ = XShmSegmentInfo{};
    shared_ = attached_ = false;
  }

  XImage* get() const { return image_; }
  Display* display() const { return display_; }
  bool shared() const { return shared_; }

 private:
  bool Fail() {
    Reset();
    return false;
  }

  Display* display_ = nullptr;
  XImage* image_ = nullptr;
  XShmSegmentInfo segment_{};
  bool shared_ = false;
  bool attached_ = false;
};

}  // namespace varominea::x11
