// The keys that are down, kept up to date from XInput2's raw key events.
// The server sends those to whoever asks on the root window, whichever
// window has the focus, so reading the keyboard costs no request at all:
// the map is changed as events arrive and read from memory. The same
// connection follows which keys the layout makes Caps Lock.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/linux/x11/caps_lock_keys.h"
#include "platform/linux/x11/pressed_keys.h"

namespace lumio::x11 {

class RawKeyEvents final : public PressedKeys {
 public:
  // A connection of its own to the display named `displayName`, so that
  // none of FLTK's events or requests mix with ours. nullptr, with
  // `whyNot` saying why, when that connection cannot be opened or the
  // server lacks XInput 2.0.
  static std::unique_ptr<RawKeyEvents> Open(const char* displayName, std::string& whyNot);

  ~RawKeyEvents() override;
  RawKeyEvents(const RawKeyEvents&) = delete;
  RawKeyEvents& operator=(const RawKeyEvents&) = delete;

  // Each applies every event already received or waiting on the socket
  // first, without waiting for more, so the map is never older than what
  // the server sent. A tap too quick for two polls to tell apart is down in
  // exactly one poll.
  void keysDown(char (&keys)[32]) override;
  std::optional<std::uint64_t> keysForPoll(char (&keys)[32]) override;
  const KeycodeSet& capsLockKeys() const override { return capsLock_.keycodes(); }
  // Every key event and every change of devices counts.
  std::optional<std::uint64_t> changes() override;
  void callOnChange(std::function<void()> changed) override { arrived_ = std::move(changed); }

 private:
  RawKeyEvents(Display* display, int opcode);
  // The whole map from the server, for a moment when events may have been
  // missed (at start, keys already down; after devices changed).
  void reseed();
  void applyArrived();
  void applyQueued();
  void apply(XEvent& event);
  static void OnReadable(int fd, void* data);

  Display* display_;
  int opcode_;  // XInput's
  char keys_[32] = {};
  char pressedSincePoll_[32] = {};
  CapsLockKeys capsLock_;
  std::uint64_t changes_ = 0;
  std::function<void()> arrived_;
};

}  // namespace lumio::x11
