// Lock key state as our thread's input queue has it, through GetKeyState.
#pragma once

#include <cstdint>

#include "seam/lock_key_source.h"

namespace lumio::win32 {

// The virtual key of each lock.
int VirtualKeyOf(LockKey key);
// GetKeyState's answer in the seam's words: bit 0 is the lock. Windows sets
// the high bits together while the key is down, and any of them counts as
// held, so a value reads as on or held exactly when it is nonzero.
LockKeyState FromKeyState(std::int16_t keyState);

class Win32LockKeySource final : public LockKeySource {
 public:
  LockKeyState state(LockKey key) override;
};

}  // namespace lumio::win32
