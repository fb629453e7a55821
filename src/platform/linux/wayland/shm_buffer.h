// A picture the compositor reads straight from our memory: premultiplied
// ARGB pixels in a shared-memory file, as a wl_buffer.
#pragma once

#include <cstddef>
#include <cstdint>

struct wl_buffer;
struct wl_shm;

namespace lumio::wayland {

class ShmBuffer {
 public:
  // Transparent pixels, width by height; buffer() is nullptr when the
  // memory or the buffer cannot be had.
  ShmBuffer(wl_shm* shm, int width, int height);
  ~ShmBuffer();
  ShmBuffer(const ShmBuffer&) = delete;
  ShmBuffer& operator=(const ShmBuffer&) = delete;

  wl_buffer* buffer() const { return buffer_; }
  // Rows of width pixels, stride bytes apart: cairo's ARGB32, which is
  // wl_shm's ARGB8888 on the little-endian machines we run on.
  unsigned char* pixels() const { return static_cast<unsigned char*>(memory_); }
  int width() const { return width_; }
  int height() const { return height_; }
  int stride() const { return width_ * 4; }

 private:
  wl_buffer* buffer_ = nullptr;
  void* memory_ = nullptr;
  std::size_t size_ = 0;
  int width_;
  int height_;
};

}  // namespace lumio::wayland
