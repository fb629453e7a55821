// Small value types shared by the core and the platform backends.
#pragma once

#include <array>
#include <cstdint>

namespace lumio {

// A 16-bit Boolean: True is all bits set (-1), False is 0. Callers compare
// with kTrue exactly, so True must never be written as 1.
using Boolean = std::int16_t;
inline constexpr Boolean kTrue = -1;
inline constexpr Boolean kFalse = 0;

// Colours are &H00BBGGRR for RGB (red in the low byte) or &H800000nn for
// the platform's system colour number nn.
using Colour = std::uint32_t;
inline constexpr Colour kGreen = 0x0000FF00;
inline constexpr Colour kYellow = 0x0000FFFF;
inline constexpr Colour kLightGrey = 0x00C0C0C0;
inline constexpr Colour kSystemColourFlag = 0x80000000;
inline constexpr Colour kActiveBorder = kSystemColourFlag | 10;  // key up
inline constexpr Colour kButtonFace = kSystemColourFlag | 15;    // default button colour

constexpr bool IsSystemColour(Colour c) { return (c & kSystemColourFlag) != 0; }
constexpr int SystemColourIndex(Colour c) { return static_cast<int>(c & 0xFF); }
constexpr int RedOf(Colour c) { return static_cast<int>(c & 0xFF); }
constexpr int GreenOf(Colour c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int BlueOf(Colour c) { return static_cast<int>((c >> 16) & 0xFF); }

// DirectInput keyboard code of Caps Lock; the key code is also the index of
// the key's button.
inline constexpr int kCapsLockCode = 58;

// One whole-keyboard snapshot indexed by key code; nonzero = key down.
using KeyboardState = std::array<std::uint8_t, 256>;

// The native window handle, as an integer wide enough for any platform.
using NativeHandle = std::uintptr_t;

// Twips (1/1440 inch) to device pixels at the display's resolution,
// rounded to the nearest pixel (15 twips per pixel at 96 DPI).
constexpr int TwipsToPixels(int twips, int dpi) {
  const long long scaled = static_cast<long long>(twips) * dpi;
  return static_cast<int>(scaled >= 0 ? (scaled + 720) / 1440 : -((-scaled + 720) / 1440));
}

}  // namespace lumio
