// Lock key state as our thread's input queue has it.
#pragma once

#include "seam/lock_key_source.h"

namespace lumio::win32 {

class Win32LockKeySource final : public LockKeySource {
 public:
  std::int16_t getKeyState(int virtualKey) override;
};

}  // namespace lumio::win32
