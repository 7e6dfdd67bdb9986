#include "linux/wayland/shm_buffer.h"

#include <sys/mman.h>

#include <climits>

#include "linux/file_descriptor.h"

namespace varominea::wayland {

bool ShmBuffer::Make(wl_shm* shm, Size size, std::uint32_t format) {
  Release();
  const std::size_t stride = static_cast<std::size_t>(size.width) * 4;
  const std::size_t bytes = stride * static_cast<std::size_t>(size.height);
  if (bytes == 0 || bytes > static_cast<std::size_t>(INT32_MAX)) return false;
  // The buffer keeps the pool's memory; the descriptor is not needed after.
  const linux_saver::FileDescriptor fd(memfd_create("varominea-frame", MFD_CLOEXEC));
  if (!fd) return false;
  void* memory = MAP_FAILED;
  if (ftruncate(fd.get(), static_cast<off_t>(bytes)) == 0) {
    memory = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd.get(), 0);
  }
  if (memory == MAP_FAILED) return false;
  wl_shm_pool* const pool = wl_shm_create_pool(shm, fd.get(), static_cast<std::int32_t>(bytes));
  buffer_ = wl_shm_pool_create_buffer(pool, 0, size.width, size.height,
                                      static_cast<std::int32_t>(stride), format);
  // Nor the pool.
  wl_shm_pool_destroy(pool);
  pixels_ = static_cast<std::uint32_t*>(memory);
  bytes_ = bytes;
  size_ = size;
  wl_buffer_add_listener(buffer_, &kListener, this);
  return true;
}

void ShmBuffer::Release() {
  if (buffer_ != nullptr) wl_buffer_destroy(buffer_);
  if (pixels_ != nullptr) munmap(pixels_, bytes_);
  buffer_ = nullptr;
  pixels_ = nullptr;
  bytes_ = 0;
  size_ = {};
  busy_ = false;
}

void ShmBuffer::Released(void* data, wl_buffer*) {
  static_cast<ShmBuffer*>(data)->busy_ = false;
}

}  // namespace varominea::wayland
