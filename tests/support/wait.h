// The one way tests wait: until a condition holds or the time is up, doing
// one turn of something between two looks (an event loop's, or a sleep).
#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace lumio::testing {

using Clock = std::chrono::steady_clock;

inline long long MsSince(Clock::time_point t) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count();
}

inline void SleepBriefly() { std::this_thread::sleep_for(std::chrono::milliseconds(10)); }

inline bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout,
                      const std::function<void()>& turn = SleepBriefly) {
  const auto deadline = Clock::now() + timeout;
  for (;;) {
    if (condition()) return true;
    if (Clock::now() >= deadline) return false;
    turn();
  }
}

}  // namespace lumio::testing
