// What tells of the lock keys where the X server cannot: in a Wayland
// session XWayland hears only keys typed into X11 windows, while the
// compositor's own lock state, or the keyboard lights it sets from it,
// follow every window. The keyboard device and the lock keys read it
// through this, whichever source the session has.
#pragma once

#include <functional>
#include <optional>

#include "seam/lock_key_source.h"

namespace lumio::os {

class LockWatch {
 public:
  virtual ~LockWatch() = default;
  // Whether Caps Lock turned over since the last call: true once per turn.
  virtual bool takeCapsLockTurn() = 0;
  // Whether a turn is waiting for takeCapsLockTurn, without taking it.
  virtual bool capsLockTurnWaiting() const = 0;
  // The lock on or off, now; nothing where the source cannot say.
  virtual std::optional<bool> on(LockKey key) = 0;
  // `turned` is called from FLTK's loop as soon as Caps Lock turned over.
  virtual void callOnTurn(std::function<void()> turned) = 0;
};

}  // namespace lumio::os
