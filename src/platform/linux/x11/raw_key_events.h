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

namespace lumio::x11 {

class RawKeyEvents {
 public:
  // A connection of its own to the display named `displayName`, so that
  // none of FLTK's events or requests mix with ours. nullptr when that
  // connection cannot be opened. Without `rawKeys`, or on a server that
  // lacks XInput 2.0 (`whyNot` then says so), it follows the layout only
  // and hasRawKeys() is false.
  static std::unique_ptr<RawKeyEvents> Open(const char* displayName, bool rawKeys, std::string& whyNot);

  ~RawKeyEvents();
  RawKeyEvents(const RawKeyEvents&) = delete;
  RawKeyEvents& operator=(const RawKeyEvents&) = delete;

  // Applies every event already received or waiting on the socket, without
  // waiting for more, so the map is never older than what the server sent.
  void applyArrived();

  bool hasRawKeys() const { return opcode_ != 0; }

  // The keys down now, in XQueryKeymap's form: bit n of the 32 bytes is X
  // key code n.
  const char (&keys() const)[32] { return keys_; }

  // For a poll: the keys down now and those pressed since the last poll,
  // however briefly. A tap too quick for two polls to tell apart is down in
  // exactly one poll.
  void takeForPoll(char (&keys)[32]);

  const KeycodeSet& capsLockKeys() const { return capsLock_.keycodes(); }

  // Grows with every key event and every change of devices applied: equal
  // counts mean an unchanged map.
  std::uint64_t changes() const { return changes_; }
  // Called from FLTK's loop when events came in on their own, while
  // nobody was asking.
  void callOnArrival(std::function<void()> arrived) { arrived_ = std::move(arrived); }

 private:
  RawKeyEvents(Display* display, int opcode);
  void selectRawKeys();
  // The whole map from the server, for a moment when events may have been
  // missed (at start, keys already down; after devices changed).
  void reseed();
  void applyQueued();
  void apply(XEvent& event);
  static void OnReadable(int fd, void* data);

  Display* display_;
  int opcode_;  // XInput's; 0 without raw key events
  char keys_[32] = {};
  char pressedSincePoll_[32] = {};
  CapsLockKeys capsLock_;
  std::uint64_t changes_ = 0;
  std::function<void()> arrived_;
};

}  // namespace lumio::x11
