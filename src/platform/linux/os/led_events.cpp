#include "platform/linux/os/led_events.h"

#include <FL/Fl.H>
#include <libudev.h>

#include <utility>

namespace lumio::os {

std::unique_ptr<LedEvents> LedEvents::Listen(std::function<void()> changed) {
  udev* context = udev_new();
  if (context == nullptr) return nullptr;
  // Udev's events, not the kernel's: they come once udev has set the new
  // light up, so that its file is there to be opened.
  udev_monitor* monitor = udev_monitor_new_from_netlink(context, "udev");
  if (monitor == nullptr || udev_monitor_filter_add_match_subsystem_devtype(monitor, "leds", nullptr) < 0 ||
      udev_monitor_enable_receiving(monitor) < 0) {
    if (monitor != nullptr) udev_monitor_unref(monitor);
    udev_unref(context);
    return nullptr;
  }
  return std::unique_ptr<LedEvents>(new LedEvents(context, monitor, std::move(changed)));
}

LedEvents::LedEvents(udev* context, udev_monitor* monitor, std::function<void()> changed)
    : context_(context), monitor_(monitor), changed_(std::move(changed)) {
  Fl::add_fd(udev_monitor_get_fd(monitor_), FL_READ, &OnReadable, this);
}

LedEvents::~LedEvents() {
  Fl::remove_fd(udev_monitor_get_fd(monitor_));
  udev_monitor_unref(monitor_);
  udev_unref(context_);
}

void LedEvents::OnReadable(int /*fd*/, void* data) {
  auto& self = *static_cast<LedEvents*>(data);
  // Everything waiting, then one look: a keyboard brings several lights.
  bool any = false;
  while (udev_device* device = udev_monitor_receive_device(self.monitor_)) {
    udev_device_unref(device);
    any = true;
  }
  if (any && self.changed_) self.changed_();
}

}  // namespace lumio::os
