// X key codes to DirectInput keyboard codes. The X server numbers keys as
// the kernel's evdev codes plus 8 (Xorg with evdev or libinput, and Xvfb),
// and for the main block those evdev codes are the PC scan codes that the
// DirectInput codes are made of; the extended keys need a table. Caps Lock
// alone goes by meaning, not by place: it is whichever key the layout
// makes Caps Lock.
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>

#include "seam/basic_types.h"

namespace lumio::x11 {

// 0 for a key code with no DirectInput counterpart.
int DikFromXKeycode(int xKeycode);

// The lowest X key code that gives this DirectInput code, or 0 for none.
int XKeycodeFromDik(int dik);

// A set of X key codes: bit n for key code n.
using KeycodeSet = std::bitset<256>;

// The keys whose place is Caps Lock's (DirectInput code 58): what counts as
// Caps Lock when the layout cannot be read.
KeycodeSet KeysAtCapsLockPlace();

// Whether key code `keycode` is down in an XQueryKeymap bit vector.
inline bool KeyIsDown(const char (&keys)[32], std::size_t keycode) {
  return keycode < 256 && (static_cast<unsigned char>(keys[keycode / 8]) & (1u << (keycode % 8))) != 0;
}

// Turns an XQueryKeymap bit vector (32 bytes, bit n = key code n) into a
// snapshot: 128 at the DirectInput code of every key that is down, else 0.
// The keys in capsLock read as 58 and no other key does: one at Caps Lock's
// place that the layout made something else (Control under ctrl:nocaps,
// Escape under caps:swapescape) reads as nothing, since the code of its
// place would say Caps Lock and no code says what it is now.
void TranslateKeymap(const char (&keys)[32], const KeycodeSet& capsLock, KeyboardState& state);

}  // namespace lumio::x11
