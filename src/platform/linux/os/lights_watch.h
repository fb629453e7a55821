// Caps Lock through the keyboard lights, for a Wayland session whose
// compositor tells nobody of its lock state. Nothing wakes a waiter when a
// light changes either, so a timer of the watch's own reads each Caps Lock
// light every 20 ms, one pread each, and nothing else: the program's polling
// rests meanwhile, woken only by a turn. udev tells of keyboards plugged in
// or taken away the moment it happens.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "platform/linux/os/keyboard_lights.h"
#include "platform/linux/os/led_events.h"
#include "platform/linux/os/lock_watch.h"

namespace lumio::os {

class LightsWatch final : public LockWatch {
 public:
  // Reads the lights in `folder`. `sightChanged` is told the number of
  // keyboards with a Caps Lock light each time the last one goes or the
  // first one comes.
  LightsWatch(std::filesystem::path folder, std::function<void(std::size_t keyboards)> sightChanged);
  ~LightsWatch() override;
  LightsWatch(const LightsWatch&) = delete;
  LightsWatch& operator=(const LightsWatch&) = delete;

  std::size_t keyboards() const { return lights_.keyboardsWithCapsLockLight(); }
  // Whether udev tells of keyboards plugged in; without it only the
  // keyboards there at start are followed.
  bool hearsPlugging() const { return events_ != nullptr; }

  bool takeCapsLockTurn() override;
  bool capsLockTurnWaiting() const override { return turned_; }
  std::optional<bool> on(LockKey key) override { return lights_.lit(key); }
  void callOnTurn(std::function<void()> turned) override { onTurn_ = std::move(turned); }

 private:
  static constexpr double kEverySeconds = 0.02;

  static void OnTick(void* data);
  // Reads the lights; `before` is how many keyboards there were.
  void check(std::size_t before);
  void lookIntoFolder();
  // Ticks while there is a light to read, and says so when sight comes or goes.
  void keyboardsCounted();

  KeyboardLights lights_;
  std::unique_ptr<LedEvents> events_;
  std::function<void(std::size_t)> sightChanged_;
  std::function<void()> onTurn_;
  bool ticking_ = false;
  bool turned_ = false;
};

}  // namespace lumio::os
