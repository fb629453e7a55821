#include "platform/linux/x11/keyboard_x11.h"

#include "seam/failure.h"

namespace lumio::x11 {

void X11KeyboardDevice::open(NativeHandle /*window*/) {
  char tappedBefore[32];
  keys_.keysForPoll(tappedBefore);
  changesAtState_.reset();
  open_ = true;
}

void X11KeyboardDevice::getState(KeyboardState& state) {
  if (!open_) throw failures::ObjectNotSet();
  // The keys and the count they were read at come from one look at the
  // socket: a poll asks the kernel once, not once for each.
  char keys[32] = {};
  changesAtState_ = keys_.keysForPoll(keys);
  TranslateKeymap(keys, keys_.capsLockKeys(), state);
  // XWayland hears only keys typed into X11 windows; the lock turned over
  // stands for a press in any window, seen for this one snapshot.
  if (lock_ != nullptr && lock_->takeCapsLockTurn()) state[kCapsLockCode] = 128;
}

bool X11KeyboardDevice::unchangedSinceLastState() {
  if (!changesAtState_ || (lock_ != nullptr && lock_->capsLockTurnWaiting())) return false;
  return keys_.changes() == changesAtState_;
}

void X11KeyboardDevice::callOnChange(std::function<void()> changed) {
  if (lock_ != nullptr) lock_->callOnTurn(changed);
  keys_.callOnChange(std::move(changed));
}

}  // namespace lumio::x11
