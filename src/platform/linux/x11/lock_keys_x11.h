// Caps, Num and Scroll Lock on X: whether each is on, and whether its key
// is held.
#pragma once

// Our headers before X's: Xlib defines None, True and False as macros.
#include "platform/linux/os/lock_watch.h"
#include "platform/linux/x11/pressed_keys.h"
#include "seam/lock_key_source.h"

#include <X11/Xlib.h>

namespace lumio::x11 {

class X11LockKeySource final : public LockKeySource {
 public:
  // `lock`: what follows the locks in every window, in a Wayland session.
  X11LockKeySource(Display* display, PressedKeys& keys, os::LockWatch* lock = nullptr)
      : display_(display), keys_(keys), lock_(lock) {}

  // On: what the watch says where it can say, else the server's keyboard
  // indicator of that name (one request). Held: the key
  // the layout puts the lock on is down; for Caps Lock, any key the layout
  // makes Caps Lock.
  LockKeyState state(LockKey key) override;

 private:
  Display* display_;
  PressedKeys& keys_;
  os::LockWatch* lock_;
};

}  // namespace lumio::x11
