#include "platform/win32/lock_keys_win32.h"

#include "platform/win32/win32_api.h"

namespace lumio::win32 {

int VirtualKeyOf(LockKey key) {
  switch (key) {
    case LockKey::Caps: return VK_CAPITAL;
    case LockKey::Num: return VK_NUMLOCK;
    case LockKey::Scroll: return VK_SCROLL;
  }
  return 0;
}

LockKeyState FromKeyState(std::int16_t keyState) {
  const auto bits = static_cast<std::uint16_t>(keyState);
  return {(bits & 0x0001u) != 0, (bits & ~0x0001u) != 0};
}

LockKeyState Win32LockKeySource::state(LockKey key) { return FromKeyState(GetKeyState(VirtualKeyOf(key))); }

}  // namespace lumio::win32
