// The keys that are down, kept up to date from XInput2's raw key events.
// The server sends those to whoever asks on the root window, whichever
// window has the focus, so reading the keyboard costs no request at all:
// the map is changed as events arrive and read from memory.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace lumio::x11 {

class RawKeyEvents {
 public:
  // A connection of its own to the display named `displayName`, so that
  // none of FLTK's events or requests mix with ours. nullptr when that
  // connection cannot be opened or the server lacks XInput 2.0; `whyNot`
  // then says which.
  static std::unique_ptr<RawKeyEvents> Open(const char* displayName, std::string& whyNot);

  ~RawKeyEvents();
  RawKeyEvents(const RawKeyEvents&) = delete;
  RawKeyEvents& operator=(const RawKeyEvents&) = delete;

  // Applies every event already received or waiting on the socket, without
  // waiting for more, so the map is never older than what the server sent.
  void applyArrived();

  // In XQueryKeymap's form: bit n of the 32 bytes is X key code n.
  const char (&keys() const)[32] { return keys_; }

  // Grows with every key event and every change of devices applied: equal
  // counts mean an unchanged map.
  std::uint64_t changes() const { return changes_; }
  // Called from FLTK's loop when events came in on their own, while
  // nobody was asking.
  void callOnArrival(std::function<void()> arrived) { arrived_ = std::move(arrived); }

 private:
  RawKeyEvents(Display* display, int opcode);
  // The whole map from the server, for a moment when events may have been
  // missed (at start, keys already down; after devices changed).
  void reseed();
  void applyQueued();
  void apply(XEvent& event);
  static void OnReadable(int fd, void* data);

  Display* display_;
  int opcode_;
  char keys_[32] = {};
  std::uint64_t changes_ = 0;
  std::function<void()> arrived_;
};

}  // namespace lumio::x11
