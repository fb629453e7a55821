// One painted text as a surface on the compositor's overlay layer, above
// every window: no input region, so every click and scroll goes to what
// lies beneath, and no keyboard focus. It shows until it is destroyed, the
// compositor closes it, or the program's connection ends.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/linux/wayland/output_choice.h"
#include "platform/linux/wayland/shm_buffer.h"

struct wl_compositor;
struct wl_output;
struct wl_surface;
struct zwlr_layer_shell_v1;
struct zwlr_layer_surface_v1;

namespace lumio::wayland {

class LayerText {
 public:
  // Shows the picture (place's size at the scale) at place, in logical
  // pixels from the output's top-left corner.
  LayerText(wl_compositor* compositor, zwlr_layer_shell_v1* layerShell, wl_output* output, const Box& place, int scale,
            std::unique_ptr<ShmBuffer> picture);
  ~LayerText();
  LayerText(const LayerText&) = delete;
  LayerText& operator=(const LayerText&) = delete;

  // The compositor took it away (its output went, say): it shows no more.
  bool closed() const { return closed_; }

 private:
  static void OnConfigure(void* data, zwlr_layer_surface_v1* layer, std::uint32_t serial, std::uint32_t width,
                          std::uint32_t height);
  static void OnClosed(void* data, zwlr_layer_surface_v1* layer);

  std::unique_ptr<ShmBuffer> picture_;
  wl_surface* surface_ = nullptr;
  zwlr_layer_surface_v1* layer_ = nullptr;
  bool attached_ = false;
  bool closed_ = false;
};

}  // namespace lumio::wayland
