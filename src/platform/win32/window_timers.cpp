#include "platform/win32/window_timers.h"

namespace lumio::win32 {

void WindowTimers::start(HWND window, std::span<const TimerDesc> timers) {
  window_ = window;
  for (const TimerDesc& desc : timers)
    slots_[static_cast<std::size_t>(desc.timer)].interval = desc.intervalMs > 0 ? static_cast<UINT>(desc.intervalMs) : 0;
  for (const TimerDesc& desc : timers)
    if (desc.enabled) setEnabled(desc.timer, true);
}

void WindowTimers::setEnabled(TimerName timer, bool enabled) {
  Slot& slot = slots_[static_cast<std::size_t>(timer)];
  if (window_ == nullptr) return;
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

void WindowTimers::stopAll() {
  for (std::size_t i = 0; i < kTimerCount; ++i) setEnabled(static_cast<TimerName>(i), false);
}

std::optional<TimerName> WindowTimers::tickOf(UINT_PTR id) const {
  if (id < 1 || id > kTimerCount || !slots_[id - 1].running) return std::nullopt;
  return static_cast<TimerName>(id - 1);
}

}  // namespace lumio::win32
