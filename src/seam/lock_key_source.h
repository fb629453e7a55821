// Per-key state as the window system reports it to our thread.
#pragma once

#include <cstdint>

namespace lumio {

inline constexpr int kVkCapital = 20;
inline constexpr int kVkNumLock = 144;
inline constexpr int kVkScroll = 145;

class LockKeySource {
 public:
  virtual ~LockKeySource() = default;
  // Bit 15 set while the key is held down, bit 0 set while its lock is on.
  virtual std::int16_t getKeyState(int virtualKey) = 0;
};

}  // namespace lumio
