// Caps Lock through KWin's own lock state: KWin (KDE Plasma) tells its
// clients the lock keys' state through org_kde_kwin_keystate, whichever
// window has the focus, and says when it changes, so nothing needs
// looking at while nothing happens. KWin offers it only to programs it
// knows by a desktop entry that names them by absolute path and asks for
// it (X-KDE-Wayland-Interfaces=org_kde_kwin_keystate).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "platform/linux/os/lock_watch.h"
#include "platform/linux/wayland/wayland_connection.h"

struct org_kde_kwin_keystate;

namespace lumio::wayland {

class KeystateWatch final : public os::LockWatch, private GlobalListener {
 public:
  // Nothing unless the compositor offers the keystate to us and tells the
  // lock states when asked.
  static std::unique_ptr<KeystateWatch> Follow(WaylandConnection& connection);
  ~KeystateWatch() override;
  KeystateWatch(const KeystateWatch&) = delete;
  KeystateWatch& operator=(const KeystateWatch&) = delete;

  bool takeCapsLockTurn() override;
  bool capsLockTurnWaiting() const override { return turned_; }
  std::optional<bool> on(LockKey key) override;
  void callOnTurn(std::function<void()> turned) override { onTurn_ = std::move(turned); }
  // `lost` is called once when the compositor stops telling: the keystate
  // taken away, or the connection lost. Nothing is known from then on.
  void callOnLoss(std::function<void()> lost) { onLoss_ = std::move(lost); }

 private:
  explicit KeystateWatch(WaylandConnection& connection);
  void globalAdded(wl_registry* registry, std::uint32_t name, std::string_view interface,
                   std::uint32_t version) override;
  void globalRemoved(std::uint32_t name) override;
  void connectionLost() override { lose(); }
  void lose();
  static void OnStateChanged(void* data, org_kde_kwin_keystate* keystate, std::uint32_t key, std::uint32_t state);

  WaylandConnection& connection_;
  org_kde_kwin_keystate* keystate_ = nullptr;
  std::uint32_t global_ = 0;
  // By the protocol's key numbers: Caps Lock, Num Lock, Scroll Lock.
  std::array<std::optional<bool>, 3> locked_;
  bool turned_ = false;
  std::function<void()> onTurn_;
  std::function<void()> onLoss_;
};

}  // namespace lumio::wayland
