// What a window system delivers, recorded: for tests of a real window
// system, alone or in front of the form.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <vector>

#include "seam/window_system.h"

namespace lumio::testing {

// Passes every event on to the form, recording the clicks and counting the
// ticks of each timer.
class CountingEvents final : public WindowEvents {
 public:
  explicit CountingEvents(WindowEvents* forward = nullptr) : forward_(forward) {}
  void keyClicked(int index) override {
    keys.push_back(index);
    if (forward_) forward_->keyClicked(index);
  }
  void controlClicked(Control control) override {
    controls.push_back(control);
    if (forward_) forward_->controlClicked(control);
  }
  void timerTicked(TimerName timer) override {
    ++ticks[static_cast<std::size_t>(timer)];
    if (onTick) onTick(timer);
    if (forward_) forward_->timerTicked(timer);
  }
  void programEnding() override {
    ++endings;
    if (forward_) forward_->programEnding();
  }
  int ticksOf(TimerName timer) const { return ticks[static_cast<std::size_t>(timer)]; }

  std::vector<int> keys;
  std::vector<Control> controls;
  std::array<int, kTimerCount> ticks{};
  int endings = 0;
  std::function<void(TimerName)> onTick;

 private:
  WindowEvents* forward_;
};

}  // namespace lumio::testing
