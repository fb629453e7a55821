// Lock key state as our thread's input queue has it, through GetKeyState.
// While our thread handles no keyboard input of its own, Windows keeps that
// state in step with the whole desktop's, so a lock turned over in another
// program's window reads here too.
#pragma once

#include "seam/lock_key_source.h"

namespace lumio::win32 {

class Win32LockKeySource final : public LockKeySource {
 public:
  LockKeyState state(LockKey key) override;
};

}  // namespace lumio::win32
