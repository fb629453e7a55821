// Texts painted over every window in a Wayland session whose compositor
// has a layer shell: each a surface of our own on the overlay layer, which
// lets every click through. The repaint that erases them also has the X
// side repaint (the XWayland windows of other programs repaint as in an X11
// session), and where the Wayland connection is lost the texts are drawn
// by the X side, as XWayland windows.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/linux/wayland/layer_text.h"
#include "platform/linux/wayland/output_choice.h"
#include "platform/linux/wayland/output_list.h"
#include "platform/linux/wayland/wayland_connection.h"
#include "seam/screen_surface.h"

struct wl_compositor;
struct wl_shm;
struct zwlr_layer_shell_v1;

namespace lumio::wayland {

class WaylandScreenSurface final : public ScreenSurface, private GlobalListener {
 public:
  // primaryMonitor: where X sees its primary monitor now, asked before
  // each text. nullptr when the compositor has no layer shell.
  static std::unique_ptr<WaylandScreenSurface> Create(WaylandConnection& connection, ScreenSurface& xSide,
                                                      std::function<MonitorPlace()> primaryMonitor);
  ~WaylandScreenSurface() override;
  WaylandScreenSurface(const WaylandScreenSurface&) = delete;
  WaylandScreenSurface& operator=(const WaylandScreenSurface&) = delete;

  void drawText(const FontRequest& font, std::int32_t x, std::int32_t y, Colour colour, std::string_view text) override;
  void repaintAll() override;

 private:
  WaylandScreenSurface(WaylandConnection& connection, ScreenSurface& xSide,
                       std::function<MonitorPlace()> primaryMonitor);
  void globalAdded(wl_registry* registry, std::uint32_t name, std::string_view interface,
                   std::uint32_t version) override;
  void globalRemoved(std::uint32_t name) override;
  bool usable() const;

  WaylandConnection& connection_;
  ScreenSurface& xSide_;
  std::function<MonitorPlace()> primaryMonitor_;
  wl_compositor* compositor_ = nullptr;
  wl_shm* shm_ = nullptr;
  zwlr_layer_shell_v1* layerShell_ = nullptr;
  std::uint32_t layerShellGlobal_ = 0;
  std::unique_ptr<OutputList> outputs_;
  std::vector<std::unique_ptr<LayerText>> texts_;
};

}  // namespace lumio::wayland
