#include "platform/win32/window_timers.h"

#include <algorithm>

namespace lumio::win32 {

void WindowTimers::start(HWND window, std::span<const TimerDesc> timers) {
  window_ = window;
  for (const TimerDesc& desc : timers)
    slots_[static_cast<std::size_t>(desc.timer)].interval = static_cast<UINT>(std::max(desc.intervalMs, 0));
  for (const TimerDesc& desc : timers)
    if (desc.enabled) setEnabled(desc.timer, true);
}

void WindowTimers::setEnabled(TimerName timer, bool enabled) {
  Slot& slot = slots_[static_cast<std::size_t>(timer)];
  if (window_ == nullptr) return;
  slot.resting = slot.waking = false;
  if (enabled) {
    if (slot.interval == 0) return;
    // SetTimer on a running id replaces it: the new interval starts now.
    SetTimer(window_, TimerId(timer), slot.interval, nullptr);
    slot.running = true;
  } else {
    if (slot.running) KillTimer(window_, TimerId(timer));
    slot.running = false;
  }
}

void WindowTimers::setResting(TimerName timer, bool resting) {
  Slot& slot = slots_[static_cast<std::size_t>(timer)];
  if (window_ == nullptr || !slot.running || slot.resting == resting) return;
  slot.resting = resting;
  slot.waking = !resting;
  if (resting)
    KillTimer(window_, TimerId(timer));
  else
    SetTimer(window_, TimerId(timer), USER_TIMER_MINIMUM, nullptr);
}

void WindowTimers::wakeAll() {
  for (std::size_t i = 0; i < kTimerCount; ++i) setResting(static_cast<TimerName>(i), false);
}

void WindowTimers::stopAll() {
  for (std::size_t i = 0; i < kTimerCount; ++i) setEnabled(static_cast<TimerName>(i), false);
}

std::optional<TimerName> WindowTimers::tickOf(UINT_PTR id) {
  if (id < 1 || id > kTimerCount) return std::nullopt;
  Slot& slot = slots_[id - 1];
  if (!slot.running || slot.resting) return std::nullopt;
  if (slot.waking) {
    slot.waking = false;
    SetTimer(window_, id, slot.interval, nullptr);  // the first interval starts with this tick
  }
  return static_cast<TimerName>(id - 1);
}

}  // namespace lumio::win32
