// The whole keyboard as one snapshot by DirectInput key code, from the X
// keys that are down (pressed_keys.h) and, in a Wayland session, what
// tells of Caps Lock in every window (lock_watch.h).
#pragma once

// Our headers before X's: Xlib defines None, True and False as macros.
#include "platform/linux/os/lock_watch.h"
#include "seam/keyboard_device.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <utility>

#include "platform/linux/x11/pressed_keys.h"

namespace lumio::x11 {

class X11KeyboardDevice final : public KeyboardDevice {
 public:
  // With `lock` (a Wayland session), Caps Lock turned over since the last
  // snapshot reads as Caps Lock down in this one.
  explicit X11KeyboardDevice(PressedKeys& keys, os::LockWatch* lock = nullptr) : keys_(keys), lock_(lock) {}

  // X needs nothing bound to our window, so the handle goes unused: the
  // keys cover the whole keyboard. A key tapped before this is not the
  // first snapshot's; one held is.
  void open(NativeHandle window) override;
  // A key pressed and released since the last snapshot is down in this
  // one. The keys the layout makes Caps Lock read as 58.
  void getState(KeyboardState& state) override;
  // Only keys that count their changes can tell; a turn of the lock is
  // news until a snapshot has taken it.
  bool unchangedSinceLastState() override;
  void callOnChange(std::function<void()> changed) override;

 private:
  PressedKeys& keys_;
  os::LockWatch* lock_;
  bool open_ = false;
  std::optional<std::uint64_t> changesAtState_;  // the keys' count at the last snapshot
};

}  // namespace lumio::x11
