#include "platform/linux/wayland/keystate_watch.h"

#include <wayland-client.h>

#include <utility>

#include "keystate-client-protocol.h"

namespace lumio::wayland {

namespace {

std::size_t KeyNumber(LockKey key) {
  switch (key) {
    case LockKey::Caps: return ORG_KDE_KWIN_KEYSTATE_KEY_CAPSLOCK;
    case LockKey::Num: return ORG_KDE_KWIN_KEYSTATE_KEY_NUMLOCK;
    case LockKey::Scroll: return ORG_KDE_KWIN_KEYSTATE_KEY_SCROLLLOCK;
  }
  return ORG_KDE_KWIN_KEYSTATE_KEY_CAPSLOCK;
}

}  // namespace

std::unique_ptr<KeystateWatch> KeystateWatch::Follow(WaylandConnection& connection) {
  std::unique_ptr<KeystateWatch> watch(new KeystateWatch(connection));
  // The answer to fetchStates; KWin says every key's state.
  if (watch->keystate_ == nullptr || !connection.roundtrip() || !watch->locked_[KeyNumber(LockKey::Caps)])
    return nullptr;
  return watch;
}

KeystateWatch::KeystateWatch(WaylandConnection& connection) : connection_(connection) {
  connection_.addListener(*this);
}

KeystateWatch::~KeystateWatch() {
  connection_.removeListener(*this);
  // Version 1 has no destructor request: the compositor forgets the object
  // with the connection.
  if (keystate_ != nullptr) wl_proxy_destroy(reinterpret_cast<wl_proxy*>(keystate_));
}

void KeystateWatch::globalAdded(wl_registry* registry, std::uint32_t name, std::string_view interface,
                                std::uint32_t /*version*/) {
  if (interface != org_kde_kwin_keystate_interface.name || keystate_ != nullptr) return;
  static const org_kde_kwin_keystate_listener listener{&OnStateChanged};
  // The lock keys are all version 1 tells of.
  keystate_ =
      static_cast<org_kde_kwin_keystate*>(wl_registry_bind(registry, name, &org_kde_kwin_keystate_interface, 1));
  global_ = name;
  org_kde_kwin_keystate_add_listener(keystate_, &listener, this);
  org_kde_kwin_keystate_fetchStates(keystate_);
  connection_.flush();
}

void KeystateWatch::globalRemoved(std::uint32_t name) {
  if (name == global_) lose();
}

void KeystateWatch::lose() {
  if (keystate_ == nullptr) return;
  wl_proxy_destroy(reinterpret_cast<wl_proxy*>(keystate_));
  keystate_ = nullptr;
  locked_ = {};
  if (onLoss_) onLoss_();
}

void KeystateWatch::OnStateChanged(void* data, org_kde_kwin_keystate* /*keystate*/, std::uint32_t key,
                                   std::uint32_t state) {
  auto& self = *static_cast<KeystateWatch*>(data);
  if (key >= self.locked_.size()) return;
  // Latched counts as on: the lock holds for the next key.
  const bool locked = state != ORG_KDE_KWIN_KEYSTATE_STATE_UNLOCKED;
  const std::optional<bool> before = std::exchange(self.locked_[key], locked);
  if (key != ORG_KDE_KWIN_KEYSTATE_KEY_CAPSLOCK || !before || *before == locked) return;
  self.turned_ = true;
  if (self.onTurn_) self.onTurn_();
}

bool KeystateWatch::takeCapsLockTurn() { return std::exchange(turned_, false); }

std::optional<bool> KeystateWatch::on(LockKey key) { return locked_[KeyNumber(key)]; }

}  // namespace lumio::wayland
