// The compositor's outputs as they come and go: their names, places in the
// session's logical pixels and scales, from wl_output and, where offered,
// xdg-output (the logical place and size, and the name before wl_output 4).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/linux/wayland/output_choice.h"
#include "platform/linux/wayland/wayland_connection.h"

struct wl_output;
struct zxdg_output_manager_v1;
struct zxdg_output_v1;

namespace lumio::wayland {

class OutputList final : public GlobalListener {
 public:
  explicit OutputList(WaylandConnection& connection);
  ~OutputList() override;
  OutputList(const OutputList&) = delete;
  OutputList& operator=(const OutputList&) = delete;

  // The output X's primary monitor shows (ChooseOutput), with what is known
  // of it; nullptr when the compositor has none.
  wl_output* choose(const MonitorPlace& primary, OutputInfo& info) const;

  void globalAdded(wl_registry* registry, std::uint32_t name, std::string_view interface,
                   std::uint32_t version) override;
  void globalRemoved(std::uint32_t name) override;

 private:
  struct Output {
    std::uint32_t global = 0;
    wl_output* output = nullptr;
    zxdg_output_v1* xdgOutput = nullptr;
    OutputInfo info;
    // From wl_output, in case there is no xdg-output: the place, and the
    // current mode in buffer pixels.
    int modeWidth = 0, modeHeight = 0;
    bool logicalSize = false;  // xdg-output gave the size
    ~Output();
  };

  // Asks xdg-output about the output, once there is an xdg-output manager.
  void followXdgOutput(Output& output);

  WaylandConnection& connection_;
  zxdg_output_manager_v1* xdgOutputs_ = nullptr;
  std::uint32_t xdgOutputsGlobal_ = 0;
  std::vector<std::unique_ptr<Output>> outputs_;
};

}  // namespace lumio::wayland
