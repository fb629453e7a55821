// Reads whether Caps Lock, Num Lock and Scroll Lock are on.
#pragma once

#include "seam/basic_types.h"
#include "seam/lock_key_source.h"

namespace lumio {

class clsKeyboard {
 public:
  explicit clsKeyboard(LockKeySource& source) : source_(source) {}

  // Writes exactly -1 or 0 into each output, in this order, as soon as it is
  // known. A lock key held down reads -1 even while its lock is off.
  void GetLockStatus(Boolean& bCapsLock, Boolean& bNumLock, Boolean& bScrollLock);

 private:
  LockKeySource& source_;
};

}  // namespace lumio
