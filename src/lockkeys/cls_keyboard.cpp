#include "lockkeys/cls_keyboard.h"

namespace lumio {

void clsKeyboard::GetLockStatus(Boolean& bCapsLock, Boolean& bNumLock, Boolean& bScrollLock) {
  // The whole 16-bit state counts, not just the toggle bit.
  bCapsLock = source_.getKeyState(kVkCapital) != 0 ? kTrue : kFalse;
  bNumLock = source_.getKeyState(kVkNumLock) != 0 ? kTrue : kFalse;
  bScrollLock = source_.getKeyState(kVkScroll) != 0 ? kTrue : kFalse;
}

}  // namespace lumio
