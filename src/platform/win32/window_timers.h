// The form's timers as window timers of the main window, with ids
// 1 + TimerName, each at the interval the form gives it.
#pragma once

#include <array>
#include <optional>
#include <span>

#include "platform/win32/win32_api.h"
#include "seam/form_description.h"

namespace lumio::win32 {

constexpr UINT_PTR TimerId(TimerName timer) { return 1 + static_cast<UINT_PTR>(timer); }

class WindowTimers {
 public:
  // Starts the timers the form describes as enabled.
  void start(HWND window, std::span<const TimerDesc> timers);
  // Enabling a running timer begins a new interval; an interval of 0 never
  // ticks.
  void setEnabled(TimerName timer, bool enabled);
  void stopAll();
  // The timer a WM_TIMER with this id ticks for. KillTimer leaves a
  // WM_TIMER that was already queued: a stopped timer's is not a tick.
  std::optional<TimerName> tickOf(UINT_PTR id) const;

 private:
  struct Slot {
    UINT interval = 0;
    bool running = false;
  };

  HWND window_ = nullptr;
  std::array<Slot, kTimerCount> slots_{};
};

}  // namespace lumio::win32
