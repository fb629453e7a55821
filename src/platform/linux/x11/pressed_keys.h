// The X keys that are down and which of them the layout makes Caps Lock:
// what the keyboard's snapshots and the lock keys both read, whichever
// window has the focus.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "platform/linux/x11/caps_lock_keys.h"
#include "platform/linux/x11/key_codes.h"

namespace lumio::x11 {

class PressedKeys {
 public:
  virtual ~PressedKeys() = default;

  // The keys down now, in XQueryKeymap's form: bit n of the 32 bytes is X
  // key code n.
  virtual void keysDown(char (&keys)[32]) = 0;
  // For a poll: the keys down now and those pressed since the last poll,
  // however briefly. Returns the count of changes (see changes()) they were
  // read at.
  virtual std::optional<std::uint64_t> keysForPoll(char (&keys)[32]) = 0;
  // The keys the layout makes Caps Lock, as of the last of the two above.
  virtual const KeycodeSet& capsLockKeys() const = 0;

  // Grows with every change that has come in, waiting ones included: equal
  // counts mean unchanged keys. Nothing from keys that cannot tell.
  virtual std::optional<std::uint64_t> changes() = 0;
  // Called from FLTK's loop when a change came in while nobody was asking.
  // Keys that cannot tell never call it.
  virtual void callOnChange(std::function<void()> changed) = 0;
};

// The keys asked of the server at every call, for a server without raw key
// events: they cannot tell when nothing changed. On a connection of their
// own they follow the layout as it changes; where none can be had they ask
// through `display` and keep the layout they found at the start.
class QueriedKeys final : public PressedKeys {
 public:
  explicit QueriedKeys(Display* display);
  ~QueriedKeys() override;
  QueriedKeys(const QueriedKeys&) = delete;
  QueriedKeys& operator=(const QueriedKeys&) = delete;

  void keysDown(char (&keys)[32]) override;
  std::optional<std::uint64_t> keysForPoll(char (&keys)[32]) override {
    keysDown(keys);
    return std::nullopt;
  }
  const KeycodeSet& capsLockKeys() const override { return capsLock_.keycodes(); }
  std::optional<std::uint64_t> changes() override { return std::nullopt; }
  void callOnChange(std::function<void()> /*changed*/) override {}

 private:
  Display* display_;
  bool ownConnection_;
  CapsLockKeys capsLock_;
};

// Raw key events (raw_key_events.h) where the server sends them, else
// QueriedKeys, saying so on standard error.
std::unique_ptr<PressedKeys> OpenPressedKeys(Display* display);

}  // namespace lumio::x11
