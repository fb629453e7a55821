#include "platform/linux/wayland/output_list.h"

#include <wayland-client.h>

#include <algorithm>
#include <string>

#include "xdg-output-unstable-v1-client-protocol.h"

namespace lumio::wayland {

OutputList::Output::~Output() {
  if (xdgOutput != nullptr) zxdg_output_v1_destroy(xdgOutput);
  if (output == nullptr) return;
  // release came with version 3; before it the object only goes away with us.
  if (wl_output_get_version(output) >= WL_OUTPUT_RELEASE_SINCE_VERSION)
    wl_output_release(output);
  else
    wl_output_destroy(output);
}

OutputList::OutputList(WaylandConnection& connection) : connection_(connection) {
  connection_.addListener(*this);
  connection_.roundtrip();  // the outputs' names and places
}

OutputList::~OutputList() {
  connection_.removeListener(*this);
  outputs_.clear();
  if (xdgOutputs_ != nullptr) zxdg_output_manager_v1_destroy(xdgOutputs_);
}

void OutputList::globalAdded(wl_registry* registry, std::uint32_t name, std::string_view interface,
                             std::uint32_t version) {
  if (interface == wl_output_interface.name) {
    auto output = std::make_unique<Output>();
    output->global = name;
    // Version 2 tells the scale, 4 the name.
    output->output =
        static_cast<wl_output*>(wl_registry_bind(registry, name, &wl_output_interface, std::min(version, 4u)));
    static const wl_output_listener listener{
        [](void* data, wl_output*, std::int32_t x, std::int32_t y, std::int32_t, std::int32_t, std::int32_t,
           const char*, const char*, std::int32_t) {
          auto& self = *static_cast<Output*>(data);
          if (self.xdgOutput == nullptr) self.info.x = x, self.info.y = y;
        },
        [](void* data, wl_output*, std::uint32_t flags, std::int32_t width, std::int32_t height, std::int32_t) {
          auto& self = *static_cast<Output*>(data);
          if ((flags & WL_OUTPUT_MODE_CURRENT) != 0) self.modeWidth = width, self.modeHeight = height;
        },
        [](void* data, wl_output*) {
          // Without xdg-output the logical size is the mode's at the scale.
          auto& self = *static_cast<Output*>(data);
          if (self.logicalSize) return;
          self.info.width = self.modeWidth / std::max(self.info.scale, 1);
          self.info.height = self.modeHeight / std::max(self.info.scale, 1);
        },
        [](void* data, wl_output*, std::int32_t scale) { static_cast<Output*>(data)->info.scale = scale; },
        [](void* data, wl_output*, const char* outputName) { static_cast<Output*>(data)->info.name = outputName; },
        [](void*, wl_output*, const char*) {},
    };
    wl_output_add_listener(output->output, &listener, output.get());
    followXdgOutput(*output);
    outputs_.push_back(std::move(output));
  } else if (interface == zxdg_output_manager_v1_interface.name && xdgOutputs_ == nullptr) {
    // Version 2 tells the name.
    xdgOutputs_ = static_cast<zxdg_output_manager_v1*>(
        wl_registry_bind(registry, name, &zxdg_output_manager_v1_interface, std::min(version, 3u)));
    xdgOutputsGlobal_ = name;
    for (const auto& output : outputs_) followXdgOutput(*output);
  }
}

void OutputList::followXdgOutput(Output& output) {
  if (xdgOutputs_ == nullptr || output.xdgOutput != nullptr) return;
  output.xdgOutput = zxdg_output_manager_v1_get_xdg_output(xdgOutputs_, output.output);
  static const zxdg_output_v1_listener listener{
      [](void* data, zxdg_output_v1*, std::int32_t x, std::int32_t y) {
        auto& self = *static_cast<Output*>(data);
        self.info.x = x, self.info.y = y;
      },
      [](void* data, zxdg_output_v1*, std::int32_t width, std::int32_t height) {
        auto& self = *static_cast<Output*>(data);
        self.info.width = width, self.info.height = height;
        self.logicalSize = true;
      },
      [](void*, zxdg_output_v1*) {},
      [](void* data, zxdg_output_v1*, const char* outputName) {
        // wl_output's own name, where it has one, is the same.
        auto& self = *static_cast<Output*>(data);
        if (self.info.name.empty()) self.info.name = outputName;
      },
      [](void*, zxdg_output_v1*, const char*) {},
  };
  zxdg_output_v1_add_listener(output.xdgOutput, &listener, &output);
}

void OutputList::globalRemoved(std::uint32_t name) {
  std::erase_if(outputs_, [name](const auto& output) { return output->global == name; });
  if (name == xdgOutputsGlobal_ && xdgOutputs_ != nullptr) {
    for (const auto& output : outputs_) {
      if (output->xdgOutput != nullptr) zxdg_output_v1_destroy(output->xdgOutput);
      output->xdgOutput = nullptr;
    }
    zxdg_output_manager_v1_destroy(xdgOutputs_);
    xdgOutputs_ = nullptr;
  }
}

wl_output* OutputList::choose(const MonitorPlace& primary, OutputInfo& info) const {
  std::vector<OutputInfo> infos;
  for (const auto& output : outputs_) infos.push_back(output->info);
  const int chosen = ChooseOutput(infos, primary);
  if (chosen < 0) return nullptr;
  info = infos[static_cast<std::size_t>(chosen)];
  return outputs_[static_cast<std::size_t>(chosen)]->output;
}

}  // namespace lumio::wayland
