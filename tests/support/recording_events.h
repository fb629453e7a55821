// What a window system delivers, recorded: for tests of a real window
// system, alone or in front of the form.
#pragma once

#include <chrono>
#include <functional>
#include <vector>

#include "seam/window_system.h"

namespace lumio::testing {

struct Tick {
  TimerName timer;
  std::chrono::steady_clock::time_point at;
};

// Passes every event on to the form, if any, recording each one.
class RecordingEvents final : public WindowEvents {
 public:
  explicit RecordingEvents(WindowEvents* forward = nullptr) : forward_(forward) {}
  void keyClicked(int index) override {
    keys.push_back(index);
    if (forward_) forward_->keyClicked(index);
  }
  void controlClicked(Control control) override {
    controls.push_back(control);
    if (forward_) forward_->controlClicked(control);
  }
  void timerTicked(TimerName timer) override {
    ticks.push_back({timer, std::chrono::steady_clock::now()});
    if (onTick) onTick(timer);
    if (forward_) forward_->timerTicked(timer);
  }
  void programEnding() override {
    ++endings;
    if (forward_) forward_->programEnding();
  }
  int ticksOf(TimerName timer) const {
    int n = 0;
    for (const Tick& tick : ticks) n += tick.timer == timer ? 1 : 0;
    return n;
  }

  std::vector<int> keys;
  std::vector<Control> controls;
  std::vector<Tick> ticks;
  int endings = 0;
  std::function<void(TimerName)> onTick;

 private:
  WindowEvents* forward_;
};

}  // namespace lumio::testing
