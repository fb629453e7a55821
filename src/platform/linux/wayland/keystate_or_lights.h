// Caps Lock through KWin's lock state while KWin tells it, then through the
// keyboard lights. The texts already fall back to XWayland windows when the
// compositor drops our connection or its layer shell; the lock state must
// not leave the program deaf without a word either.
#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "platform/linux/os/lock_watch.h"
#include "platform/linux/wayland/keystate_watch.h"

namespace lumio::wayland {

class KeystateOrLights final : public os::LockWatch {
 public:
  // `followLights` is asked once, when the keystate is lost, for the watch
  // that takes over (and says how much it sees).
  KeystateOrLights(std::unique_ptr<KeystateWatch> keystate,
                   std::function<std::unique_ptr<os::LockWatch>()> followLights);

  bool takeCapsLockTurn() override;
  bool capsLockTurnWaiting() const override;
  std::optional<bool> on(LockKey key) override { return source().on(key); }
  void callOnTurn(std::function<void()> turned) override;

 private:
  os::LockWatch& source() const { return lights_ != nullptr ? *lights_ : *keystate_; }
  void keystateLost();

  std::unique_ptr<KeystateWatch> keystate_;
  std::function<std::unique_ptr<os::LockWatch>()> followLights_;
  std::unique_ptr<os::LockWatch> lights_;
  std::function<void()> onTurn_;
};

}  // namespace lumio::wayland
