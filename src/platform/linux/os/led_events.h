// Keyboards plugged in or taken away, as udev tells of their lights: a
// monitor of udev's events for the `leds` subsystem, read from FLTK's loop
// the moment one comes.
#pragma once

#include <functional>
#include <memory>

struct udev;
struct udev_monitor;

namespace lumio::os {

class LedEvents {
 public:
  // Listens; `changed` is called once for every batch of events. Nothing
  // when udev's events cannot be had.
  static std::unique_ptr<LedEvents> Listen(std::function<void()> changed);
  ~LedEvents();
  LedEvents(const LedEvents&) = delete;
  LedEvents& operator=(const LedEvents&) = delete;

 private:
  LedEvents(udev* context, udev_monitor* monitor, std::function<void()> changed);
  static void OnReadable(int fd, void* data);

  udev* context_;
  udev_monitor* monitor_;
  std::function<void()> changed_;
};

}  // namespace lumio::os
