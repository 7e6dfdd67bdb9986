// A shared-memory buffer of 32-bit pixels the compositor reads the frames
// from, and whether the compositor still holds it.
#pragma once

#include <wayland-client.h>

#include <cstddef>
#include <cstdint>

#include "linux/wayland/wayland_logic.h"

namespace varominea::wayland {

class ShmBuffer {
 public:
  ShmBuffer() = default;
  ShmBuffer(const ShmBuffer&) = delete;
  ShmBuffer& operator=(const ShmBuffer&) = delete;
  ~ShmBuffer() { Release(); }

  // A new buffer of the given size, all black (fresh shared memory is zero).
  bool Make(wl_shm* shm, Size size, std::uint32_t format);

  wl_buffer* get() const { return buffer_; }
  std::uint32_t* pixels() const { return pixels_; }
  std::size_t stride() const { return static_cast<std::size_t>(size_.width); }
  BufferSlot slot() const { return {size_, busy_}; }
  void MarkBusy() { busy_ = true; }

 private:
  void Release();
  static void Released(void* data, wl_buffer*);
  static constexpr wl_buffer_listener kListener{.release = Released};

  wl_buffer* buffer_ = nullptr;
  std::uint32_t* pixels_ = nullptr;
  std::size_t bytes_ = 0;
  Size size_;
  bool busy_ = false;
};

}  // namespace varominea::wayland
