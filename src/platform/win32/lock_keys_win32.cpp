#include "platform/win32/lock_keys_win32.h"

#include "platform/win32/win32_api.h"

namespace lumio::win32 {

std::int16_t Win32LockKeySource::getKeyState(int virtualKey) {
  return static_cast<std::int16_t>(GetKeyState(virtualKey));
}

}  // namespace lumio::win32
