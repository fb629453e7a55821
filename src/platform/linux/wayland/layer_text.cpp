#include "platform/linux/wayland/layer_text.h"

#include <wayland-client.h>

#include "wlr-layer-shell-unstable-v1-client-protocol.h"

namespace lumio::wayland {

namespace {

constexpr const char* kNamespace = "lumio-capslock";

}  // namespace

LayerText::LayerText(wl_compositor* compositor, zwlr_layer_shell_v1* layerShell, wl_output* output, const Box& place,
                     int scale, std::unique_ptr<ShmBuffer> picture)
    : picture_(std::move(picture)) {
  static const zwlr_layer_surface_v1_listener listener{&OnConfigure, &OnClosed};
  surface_ = wl_compositor_create_surface(compositor);
  // An empty input region: the pointer never meets the surface. (No region
  // at all would mean the whole surface.)
  wl_region* nowhere = wl_compositor_create_region(compositor);
  wl_surface_set_input_region(surface_, nowhere);
  wl_region_destroy(nowhere);
  if (wl_surface_get_version(surface_) >= WL_SURFACE_SET_BUFFER_SCALE_SINCE_VERSION)
    wl_surface_set_buffer_scale(surface_, scale);

  layer_ = zwlr_layer_shell_v1_get_layer_surface(layerShell, surface_, output, ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY,
                                                 kNamespace);
  zwlr_layer_surface_v1_add_listener(layer_, &listener, this);
  zwlr_layer_surface_v1_set_size(layer_, static_cast<std::uint32_t>(place.width),
                                 static_cast<std::uint32_t>(place.height));
  zwlr_layer_surface_v1_set_anchor(layer_, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT);
  // -1: where we say, whatever panels keep for themselves.
  zwlr_layer_surface_v1_set_exclusive_zone(layer_, -1);
  zwlr_layer_surface_v1_set_margin(layer_, place.top, 0, 0, place.left);
  // The first commit has no buffer: the compositor answers with configure.
  wl_surface_commit(surface_);
}

LayerText::~LayerText() {
  zwlr_layer_surface_v1_destroy(layer_);
  wl_surface_destroy(surface_);
}

void LayerText::OnConfigure(void* data, zwlr_layer_surface_v1* layer, std::uint32_t serial, std::uint32_t /*width*/,
                            std::uint32_t /*height*/) {
  // The size asked for is the size it gets: it is anchored to one corner only.
  auto& self = *static_cast<LayerText*>(data);
  zwlr_layer_surface_v1_ack_configure(layer, serial);
  if (!self.attached_) {
    wl_surface_attach(self.surface_, self.picture_->buffer(), 0, 0);
    wl_surface_damage(self.surface_, 0, 0, self.picture_->width(), self.picture_->height());
    self.attached_ = true;
  }
  wl_surface_commit(self.surface_);
}

void LayerText::OnClosed(void* data, zwlr_layer_surface_v1* /*layer*/) {
  static_cast<LayerText*>(data)->closed_ = true;
}

}  // namespace lumio::wayland
