#include "platform/linux/x11/timers_x11.h"

#include <FL/Fl.H>

#include <utility>

namespace lumio::x11 {

void FormTimers::reset(std::span<const TimerDesc> timers, std::function<void(TimerName)> ticked) {
  stopAll();
  ticked_ = std::move(ticked);
  count_ = 0;
  for (const TimerDesc& desc : timers) {
    if (count_ == slots_.size()) break;
    slots_[count_++] = Slot{this, desc.timer, desc.intervalMs / 1000.0};
    if (desc.enabled) setEnabled(desc.timer, true);
  }
}

FormTimers::Slot* FormTimers::slotFor(TimerName timer) {
  for (std::size_t i = 0; i < count_; ++i)
    if (slots_[i].name == timer) return &slots_[i];
  return nullptr;
}

void FormTimers::setEnabled(TimerName timer, bool enabled) {
  Slot* slot = slotFor(timer);
  if (slot == nullptr) return;
  // Removing first makes enabling a running timer begin a new interval.
  Fl::remove_timeout(OnTimeout, slot);
  slot->running = enabled && slot->seconds > 0;
  slot->resting = false;
  if (slot->running) Fl::add_timeout(slot->seconds, OnTimeout, slot);
}

void FormTimers::setResting(TimerName timer, bool resting) {
  Slot* slot = slotFor(timer);
  if (slot == nullptr || !slot->running || slot->resting == resting) return;
  slot->resting = resting;
  Fl::remove_timeout(OnTimeout, slot);
  // Woken: a tick at once, and OnTimeout's re-arming goes on from there.
  if (!resting) Fl::add_timeout(0.0, OnTimeout, slot);
}

void FormTimers::stopAll() {
  for (std::size_t i = 0; i < count_; ++i) {
    Fl::remove_timeout(OnTimeout, &slots_[i]);
    slots_[i].running = false;
    slots_[i].resting = false;
  }
}

void FormTimers::OnTimeout(void* data) {
  auto* slot = static_cast<Slot*>(data);
  // Re-armed before the tick is delivered: the handler may stop or restart
  // it, and it keeps ticking while the handler runs a nested loop.
  Fl::repeat_timeout(slot->seconds, OnTimeout, data);
  if (slot->owner->ticked_) slot->owner->ticked_(slot->name);
}

}  // namespace lumio::x11
