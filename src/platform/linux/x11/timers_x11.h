// The form's timers as FLTK timeouts. A resting timer has no timeout armed
// at all, so FLTK's loop sleeps until a file it watches or the X
// connection has something.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <span>

#include "seam/form_description.h"

namespace lumio::x11 {

class FormTimers {
 public:
  FormTimers() = default;
  ~FormTimers() { stopAll(); }
  FormTimers(const FormTimers&) = delete;
  FormTimers& operator=(const FormTimers&) = delete;

  // Forgets every timer there was and takes these, each calling `ticked`
  // with its name; those described as enabled start counting now.
  void reset(std::span<const TimerDesc> timers, std::function<void(TimerName)> ticked);
  // Enabling a running timer begins a new interval.
  void setEnabled(TimerName timer, bool enabled);
  // Ending the rest ticks at once, then on the interval from there.
  void setResting(TimerName timer, bool resting);
  void stopAll();

 private:
  struct Slot {
    FormTimers* owner = nullptr;
    TimerName name = TimerName::tmrAbout;
    double seconds = 0;
    bool running = false;
    bool resting = false;
  };

  static void OnTimeout(void* data);
  Slot* slotFor(TimerName timer);

  std::array<Slot, kTimerCount> slots_{};
  std::size_t count_ = 0;
  std::function<void(TimerName)> ticked_;
};

}  // namespace lumio::x11
