// A window system without a display: it remembers what the core asked of it
// and runs the timers on a virtual clock that only moves when a test says so.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "seam/window_system.h"

namespace lumio::fakes {

struct MessageRecord {
  std::string text;
  MessageIcon icon;
  std::string caption;
  std::int64_t shownAtMs;
};

struct TickRecord {
  TimerName timer;
  std::int64_t atMs;
};

class FakeWindowSystem final : public WindowSystem {
 public:
  void createWindow(const FormDescription& form, WindowEvents& events) override;
  void showWindow() override { shown = true; }
  void runEventLoop() override;
  void endProgram() override { ended = true; }
  NativeHandle nativeHandle() const override { return kHandle; }
  void setKeyBackColor(int index, Colour colour) override;
  std::string text1() const override { return text; }
  void setTimerEnabled(TimerName timer, bool enabled) override;
  // Only with canRest set; otherwise timers tick on, as a window system
  // that cannot rest them does.
  void setTimerResting(TimerName timer, bool resting) override;
  void messageBox(std::string_view text, MessageIcon icon, std::string_view caption) override;
  void doEvents() override;

  // Moves the virtual clock on, delivering every tick that falls due, in
  // time order. Nothing is delivered once the program has ended.
  void advance(std::int64_t ms);
  std::int64_t now() const { return now_; }
  bool timerEnabled(TimerName timer) const { return timers_[Index(timer)].enabled; }
  bool timerResting(TimerName timer) const { return timers_[Index(timer)].resting; }
  std::int64_t timerDueAt(TimerName timer) const { return timers_[Index(timer)].dueAt; }
  int ticksOf(TimerName timer) const;

  static constexpr NativeHandle kHandle = 0x5150;

  const FormDescription* form = nullptr;
  bool shown = false;
  bool ended = false;
  std::string text = "";
  std::array<Colour, 256> keyColour{};
  int colourSets = 0;
  std::vector<MessageRecord> messages;
  std::vector<TickRecord> ticks;
  int doEventsCalls = 0;
  // Runs while a message box is open (a user reading it); by default the
  // box is dismissed at once.
  std::function<void()> whileMessageOpen;
  // Starting this timer fails (stopping still works).
  std::optional<TimerName> failStarting;
  // Runs in place of the event loop.
  std::function<void()> eventLoop;
  bool canRest = false;

 private:
  struct Timer {
    int intervalMs = 0;
    bool enabled = false;
    bool resting = false;
    std::int64_t dueAt = 0;
  };
  static std::size_t Index(TimerName timer) { return static_cast<std::size_t>(timer); }

  WindowEvents* events_ = nullptr;
  std::array<Timer, 4> timers_{};
  std::int64_t now_ = 0;
};

}  // namespace lumio::fakes
