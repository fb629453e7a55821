#include "platform/linux/wayland/screen_surface_wayland.h"

#include <wayland-client.h>

#include <algorithm>
#include <utility>

#include "platform/linux/wayland/text_picture.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"

namespace lumio::wayland {

std::unique_ptr<WaylandScreenSurface> WaylandScreenSurface::Create(WaylandConnection& connection, ScreenSurface& xSide,
                                                                   std::function<MonitorPlace()> primaryMonitor) {
  std::unique_ptr<WaylandScreenSurface> surface(new WaylandScreenSurface(connection, xSide, std::move(primaryMonitor)));
  if (!surface->usable()) return nullptr;
  return surface;
}

WaylandScreenSurface::WaylandScreenSurface(WaylandConnection& connection, ScreenSurface& xSide,
                                           std::function<MonitorPlace()> primaryMonitor)
    : connection_(connection), xSide_(xSide), primaryMonitor_(std::move(primaryMonitor)) {
  connection_.addListener(*this);
  outputs_ = std::make_unique<OutputList>(connection_);
}

WaylandScreenSurface::~WaylandScreenSurface() {
  texts_.clear();
  outputs_.reset();
  connection_.removeListener(*this);
  if (layerShell_ != nullptr) zwlr_layer_shell_v1_destroy(layerShell_);
  if (shm_ != nullptr) wl_shm_destroy(shm_);
  if (compositor_ != nullptr) wl_compositor_destroy(compositor_);
  connection_.flush();
}

void WaylandScreenSurface::globalAdded(wl_registry* registry, std::uint32_t name, std::string_view interface,
                                       std::uint32_t version) {
  const auto bind = [&](const wl_interface& wanted, std::uint32_t highest) {
    return wl_registry_bind(registry, name, &wanted, std::min(version, highest));
  };
  // wl_compositor 3 sets the buffer scale.
  if (interface == wl_compositor_interface.name && compositor_ == nullptr)
    compositor_ = static_cast<wl_compositor*>(bind(wl_compositor_interface, 4));
  else if (interface == wl_shm_interface.name && shm_ == nullptr)
    shm_ = static_cast<wl_shm*>(bind(wl_shm_interface, 1));
  else if (interface == zwlr_layer_shell_v1_interface.name && layerShell_ == nullptr) {
    layerShell_ = static_cast<zwlr_layer_shell_v1*>(bind(zwlr_layer_shell_v1_interface, 1));
    layerShellGlobal_ = name;
  }
}

void WaylandScreenSurface::globalRemoved(std::uint32_t name) {
  if (name != layerShellGlobal_ || layerShell_ == nullptr) return;
  // Its surfaces are gone with it; from now on the X side draws.
  texts_.clear();
  zwlr_layer_shell_v1_destroy(layerShell_);
  layerShell_ = nullptr;
}

bool WaylandScreenSurface::usable() const {
  return connection_.alive() && compositor_ != nullptr && shm_ != nullptr && layerShell_ != nullptr;
}

void WaylandScreenSurface::drawText(const FontRequest& font, std::int32_t x, std::int32_t y, Colour colour,
                                    std::string_view text) {
  if (!usable()) {
    xSide_.drawText(font, x, y, colour, text);
    return;
  }
  std::erase_if(texts_, [](const auto& shown) { return shown->closed(); });
  const TextPicture picture(font, text);
  if (picture.box().width <= 0) return;
  OutputInfo output;
  wl_output* chosen = outputs_->choose(primaryMonitor_(), output);
  if (chosen == nullptr) return;  // no output, nowhere to show it
  const std::optional<Box> place = PlaceOnOutput(picture.box(), x, y, output.width, output.height);
  if (!place) return;
  const int scale = BufferScale(output.scale);
  auto buffer = std::make_unique<ShmBuffer>(shm_, place->width * scale, place->height * scale);
  if (buffer->buffer() == nullptr) return;
  picture.paint(*buffer, scale, x - place->left, y - place->top, colour);
  texts_.push_back(std::make_unique<LayerText>(compositor_, layerShell_, chosen, *place, scale, std::move(buffer)));
  connection_.flush();
}

void WaylandScreenSurface::repaintAll() {
  texts_.clear();
  connection_.flush();
  xSide_.repaintAll();
}

}  // namespace lumio::wayland
