#include "fakes/fake_window_system.h"

#include <limits>

#include "seam/failure.h"

namespace lumio::fakes {

void FakeWindowSystem::createWindow(const FormDescription& description, WindowEvents& events) {
  form = &description;
  events_ = &events;
  for (const KeyDesc& key : description.keys) keyColour[static_cast<std::size_t>(key.index)] = key.backColor;
  for (const ChildDesc& child : description.children)
    if (child.isTextBox) text = std::string(child.caption);
  for (const TimerDesc& timer : description.timers) {
    Timer& t = timers_[Index(timer.timer)];
    t.intervalMs = timer.intervalMs;
    t.enabled = timer.enabled;
    t.dueAt = now_ + timer.intervalMs;
  }
}

void FakeWindowSystem::runEventLoop() {
  if (eventLoop) eventLoop();
}

void FakeWindowSystem::setKeyBackColor(int index, Colour colour) {
  keyColour[static_cast<std::size_t>(index)] = colour;
  ++colourSets;
}

void FakeWindowSystem::setTimerEnabled(TimerName timer, bool enabled) {
  if (enabled && failStarting == timer) throw Failure(-2147467259, "Unspecified error");
  Timer& t = timers_[Index(timer)];
  t.enabled = enabled;
  t.resting = false;
  if (enabled) t.dueAt = now_ + t.intervalMs;  // a start always begins a new interval
}

void FakeWindowSystem::setTimerResting(TimerName timer, bool resting) {
  Timer& t = timers_[Index(timer)];
  if (!canRest || !t.enabled || t.resting == resting) return;
  t.resting = resting;
  if (!resting) t.dueAt = now_;  // woken: a tick at once, at the next advance
}

void FakeWindowSystem::messageBox(std::string_view message, MessageIcon icon, std::string_view caption) {
  messages.push_back({std::string(message), icon, std::string(caption), now_});
  if (whileMessageOpen) {
    // Only the outermost box runs the script: a box opened from inside it
    // is dismissed at once.
    auto script = std::move(whileMessageOpen);
    whileMessageOpen = nullptr;
    script();
  }
}

void FakeWindowSystem::doEvents() { ++doEventsCalls; }

void FakeWindowSystem::advance(std::int64_t ms) {
  const std::int64_t target = now_ + ms;
  while (!ended && events_ != nullptr) {
    std::size_t next = timers_.size();
    std::int64_t nextDue = std::numeric_limits<std::int64_t>::max();
    for (std::size_t i = 0; i < timers_.size(); ++i)
      if (timers_[i].enabled && !timers_[i].resting && timers_[i].dueAt < nextDue) {
        nextDue = timers_[i].dueAt;
        next = i;
      }
    if (next == timers_.size() || nextDue > target) break;
    now_ = nextDue;
    timers_[next].dueAt += timers_[next].intervalMs;
    const auto timer = static_cast<TimerName>(next);
    ticks.push_back({timer, now_});
    events_->timerTicked(timer);
  }
  if (now_ < target) now_ = target;
}

int FakeWindowSystem::ticksOf(TimerName timer) const {
  int n = 0;
  for (const TickRecord& tick : ticks) n += tick.timer == timer ? 1 : 0;
  return n;
}

}  // namespace lumio::fakes
