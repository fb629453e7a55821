// The system keyboard as a whole-keyboard snapshot, shared with every other
// program and read whether or not our window has the focus.
#pragma once

#include <functional>

#include "seam/basic_types.h"

namespace lumio {

class KeyboardDevice {
 public:
  virtual ~KeyboardDevice() = default;
  // Opens the device. `window` is our main window, for a platform whose
  // keyboard must be bound to one; a backend that reads the keyboard as a
  // whole without a window ignores it. Throws Failure with the platform's
  // code and text when a step fails; later steps are then not taken.
  virtual void open(NativeHandle window) = 0;
  // Fills all 256 bytes. Throws Failure when there is no usable device.
  virtual void getState(KeyboardState& state) = 0;

  // What lets polling rest while nobody types. True only when the device
  // can tell that nothing has come in since the last getState, so that a
  // snapshot taken now would be that one again; one that cannot tell says
  // false and is read on every poll.
  virtual bool unchangedSinceLastState() { return false; }
  // `changed` is called from the window's event loop as soon as something
  // may have come in (a key, a keyboard plugged in). A device that cannot
  // tell never calls it.
  virtual void callOnChange(std::function<void()> /*changed*/) {}
};

}  // namespace lumio
