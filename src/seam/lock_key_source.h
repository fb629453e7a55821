// The three lock keys as the window system reports them to our thread.
#pragma once

namespace lumio {

enum class LockKey { Caps, Num, Scroll };

struct LockKeyState {
  bool on = false;    // the lock itself (its light)
  bool held = false;  // the key is down at this moment
};

class LockKeySource {
 public:
  virtual ~LockKeySource() = default;
  // Never fails: a state that cannot be had reads as off and not held.
  virtual LockKeyState state(LockKey key) = 0;
};

}  // namespace lumio
