// One copy of the program per X display: the display itself is the lock.
// The first copy owns a selection named for the program, with a window of
// its own as owner, the way ICCCM managers claim theirs. The server drops
// the claim when that connection closes, however the program went, and the
// answer does not depend on anybody's environment or file system.
#pragma once

// Our headers before X's: Xlib defines None, True and False as macros.
#include "seam/instance_guard.h"

#include <X11/Xlib.h>

namespace lumio::x11 {

inline constexpr const char* kInstanceSelection = "_LUMIO_CAPSLOCK_INSTANCE";

class X11InstanceGuard final : public InstanceGuard {
 public:
  explicit X11InstanceGuard(Display* display) : display_(display) {}
  ~X11InstanceGuard() override;
  X11InstanceGuard(const X11InstanceGuard&) = delete;
  X11InstanceGuard& operator=(const X11InstanceGuard&) = delete;

  // True when another client owns the selection. A copy that finds one
  // creates nothing on the display. The first caller claims it and keeps it.
  bool anotherInstanceRunning() override;

 private:
  Display* display_;
  Window owner_ = 0;
};

}  // namespace lumio::x11
