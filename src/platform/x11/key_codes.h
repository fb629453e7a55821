// X key codes to DirectInput keyboard codes. The X server numbers keys as
// the kernel's evdev codes plus 8 (Xorg with evdev or libinput, and Xvfb),
// and for the main block those evdev codes are the PC scan codes that the
// DirectInput codes are made of; the extended keys need a table.
#pragma once

#include <cstdint>

#include "seam/basic_types.h"

namespace lumio::x11 {

// 0 for a key code with no DirectInput counterpart.
int DikFromXKeycode(int xKeycode);

// The lowest X key code that gives this DirectInput code, or 0 for none.
int XKeycodeFromDik(int dik);

// Turns an XQueryKeymap bit vector (32 bytes, bit n = key code n) into a
// snapshot: 128 at the DirectInput code of every key that is down, else 0.
void TranslateKeymap(const char (&keys)[32], KeyboardState& state);

}  // namespace lumio::x11
