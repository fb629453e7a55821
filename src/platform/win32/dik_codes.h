// The key translation of this backend: DirectInput's keyboard codes are the
// core's key codes, so the device's 256-byte snapshot is handed over as it
// is. Everything that relies on that is checked here, at compile time.
#pragma once

#include <cstddef>
#include <cstdint>

#ifndef DIRECTINPUT_VERSION
#define DIRECTINPUT_VERSION 0x0800
#endif
#include <dinput.h>

#include "seam/basic_types.h"

namespace lumio::win32 {

// The core's code for the key DirectInput reports as dik (identity).
constexpr int CoreKeyCode(std::uint8_t dik) { return dik; }

// The snapshot GetDeviceState fills is exactly the core's KeyboardState.
inline constexpr std::size_t kDeviceStateSize = 256;
static_assert(sizeof(KeyboardState) == kDeviceStateSize);

static_assert(CoreKeyCode(DIK_CAPITAL) == kCapsLockCode, "Caps Lock is announced by its DirectInput code");
// Codes the form and the default key list use that are easy to get wrong:
// the extended keys sit 128 above their plain twins or in the 0xB0-0xDD range.
static_assert(DIK_ESCAPE == 1 && DIK_1 == 2 && DIK_0 == 11 && DIK_BACK == 14 && DIK_TAB == 15);
static_assert(DIK_RETURN == 28 && DIK_LCONTROL == 29 && DIK_LSHIFT == 42 && DIK_RSHIFT == 54);
static_assert(DIK_LMENU == 56 && DIK_SPACE == 57 && DIK_F1 == 59 && DIK_F10 == 68 && DIK_F11 == 87 && DIK_F12 == 88);
static_assert(DIK_NUMLOCK == 69 && DIK_SCROLL == 70 && DIK_NUMPAD0 == 82 && DIK_DECIMAL == 83);
static_assert(DIK_NUMPADENTER == 156 && DIK_RCONTROL == 157 && DIK_DIVIDE == 181 && DIK_SYSRQ == 183);
static_assert(DIK_RMENU == 184 && DIK_PAUSE == 197 && DIK_HOME == 199 && DIK_UP == 200 && DIK_PRIOR == 201);
static_assert(DIK_LEFT == 203 && DIK_RIGHT == 205 && DIK_END == 207 && DIK_DOWN == 208 && DIK_NEXT == 209);
static_assert(DIK_INSERT == 210 && DIK_DELETE == 211 && DIK_LWIN == 219 && DIK_RWIN == 220 && DIK_APPS == 221);

}  // namespace lumio::win32
