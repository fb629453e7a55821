#include "platform/win32/lock_keys_win32.h"

#include <cstdint>

#include "platform/win32/win32_api.h"

namespace lumio::win32 {

namespace {

int VirtualKeyOf(LockKey key) {
  switch (key) {
    case LockKey::Caps: return VK_CAPITAL;
    case LockKey::Num: return VK_NUMLOCK;
    case LockKey::Scroll: return VK_SCROLL;
  }
  return 0;
}

}  // namespace

LockKeyState Win32LockKeySource::state(LockKey key) {
  // Bit 0 is the lock. Windows sets the high bits together while the key is
  // down, and any of them counts as held, so a value reads as on or held
  // exactly when it is nonzero.
  const auto bits = static_cast<std::uint16_t>(GetKeyState(VirtualKeyOf(key)));
  return {(bits & 0x0001u) != 0, (bits & ~0x0001u) != 0};
}

}  // namespace lumio::win32
