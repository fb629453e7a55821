#include "platform/linux/wayland/keystate_or_lights.h"

#include <utility>

namespace lumio::wayland {

KeystateOrLights::KeystateOrLights(std::unique_ptr<KeystateWatch> keystate,
                                   std::function<std::unique_ptr<os::LockWatch>()> followLights)
    : keystate_(std::move(keystate)), followLights_(std::move(followLights)) {
  keystate_->callOnLoss([this] { keystateLost(); });
}

// A turn the keystate told of just before it was lost still counts.
bool KeystateOrLights::takeCapsLockTurn() {
  const bool told = keystate_->takeCapsLockTurn();
  return (lights_ != nullptr && lights_->takeCapsLockTurn()) || told;
}

bool KeystateOrLights::capsLockTurnWaiting() const {
  return keystate_->capsLockTurnWaiting() || (lights_ != nullptr && lights_->capsLockTurnWaiting());
}

void KeystateOrLights::callOnTurn(std::function<void()> turned) {
  onTurn_ = turned;
  source().callOnTurn(std::move(turned));
}

void KeystateOrLights::keystateLost() {
  lights_ = followLights_();
  if (onTurn_) lights_->callOnTurn(onTurn_);
}

}  // namespace lumio::wayland
