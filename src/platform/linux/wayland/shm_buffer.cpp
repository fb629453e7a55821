#include "platform/linux/wayland/shm_buffer.h"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <limits>

namespace lumio::wayland {

ShmBuffer::ShmBuffer(wl_shm* shm, int width, int height) : width_(width), height_(height) {
  if (width <= 0 || height <= 0) return;
  size_ = static_cast<std::size_t>(stride()) * static_cast<std::size_t>(height);
  if (size_ > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) return;  // a pool's limit
  const int fd = memfd_create("lumio-capslock-text", MFD_CLOEXEC);
  if (fd < 0) return;
  // ftruncate fills the file with zeros: every pixel starts transparent.
  if (ftruncate(fd, static_cast<off_t>(size_)) == 0) {
    memory_ = mmap(nullptr, size_, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (memory_ == MAP_FAILED) memory_ = nullptr;
  }
  if (memory_ != nullptr) {
    wl_shm_pool* pool = wl_shm_create_pool(shm, fd, static_cast<std::int32_t>(size_));
    buffer_ = wl_shm_pool_create_buffer(pool, 0, width, height, stride(), WL_SHM_FORMAT_ARGB8888);
    wl_shm_pool_destroy(pool);  // the buffer keeps the memory
  }
  close(fd);
}

ShmBuffer::~ShmBuffer() {
  if (buffer_ != nullptr) wl_buffer_destroy(buffer_);
  if (memory_ != nullptr) munmap(memory_, size_);
}

}  // namespace lumio::wayland
