// The whole keyboard as the X server sees it, whichever window has the
// focus, and the state of the three lock keys.
#pragma once

// Our headers before X's: Xlib defines None, True and False as macros.
#include "seam/keyboard_device.h"
#include "seam/lock_key_source.h"

#include <X11/Xlib.h>

namespace lumio::x11 {

class X11KeyboardDevice final : public KeyboardDevice {
 public:
  explicit X11KeyboardDevice(Display* display) : display_(display) {}

  // X needs nothing bound to our window: the server's key map covers the
  // whole keyboard. Fails only without a display connection.
  void open(NativeHandle window) override;
  void getState(KeyboardState& state) override;

 private:
  Display* display_;
  bool open_ = false;
};

class X11LockKeySource final : public LockKeySource {
 public:
  explicit X11LockKeySource(Display* display) : display_(display) {}

  // Bit 0 from the server's named keyboard indicator, bit 15 while the key
  // itself is down. Other keys read 0.
  std::int16_t getKeyState(int virtualKey) override;

 private:
  Display* display_;
};

}  // namespace lumio::x11
