// The system keyboard as a whole-keyboard snapshot, shared with every other
// program and read whether or not our window has the focus.
#pragma once

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
};

}  // namespace lumio
