#include "lockkeys/cls_keyboard.h"

namespace lumio {

namespace {

// A lock key held down counts as on, even while its lock is off.
Boolean OnOrHeld(LockKeyState state) { return state.on || state.held ? kTrue : kFalse; }

}  // namespace

void clsKeyboard::GetLockStatus(Boolean& bCapsLock, Boolean& bNumLock, Boolean& bScrollLock) {
  bCapsLock = OnOrHeld(source_.state(LockKey::Caps));
  bNumLock = OnOrHeld(source_.state(LockKey::Num));
  bScrollLock = OnOrHeld(source_.state(LockKey::Scroll));
}

}  // namespace lumio
