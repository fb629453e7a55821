// The one way tests wait: until a condition holds or the time is up, doing
// one turn of something between two looks (an event loop's, or a sleep).
#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace lumio::testing {

inline void SleepBriefly() { std::this_thread::sleep_for(std::chrono::milliseconds(10)); }

inline bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout,
                      const std::function<void()>& turn = SleepBriefly) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    turn();
  }
}

}  // namespace lumio::testing
