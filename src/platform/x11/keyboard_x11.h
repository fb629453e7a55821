// The whole keyboard as the X server sees it, whichever window has the
// focus, and the state of the three lock keys.
#pragma once

// Our headers before X's: Xlib defines None, True and False as macros.
#include "seam/keyboard_device.h"
#include "seam/lock_key_source.h"

#include <X11/Xlib.h>

#include <cstdint>
#include <functional>
#include <memory>

namespace lumio::x11 {

class RawKeyEvents;

class X11KeyboardDevice final : public KeyboardDevice {
 public:
  // Where a snapshot comes from. RawEvents falls back to QueryEachPoll by
  // itself when the server cannot send raw key events; tests choose
  // QueryEachPoll to run that path on any server.
  enum class Source { RawEvents, QueryEachPoll };

  explicit X11KeyboardDevice(Display* display, Source source = Source::RawEvents);
  ~X11KeyboardDevice() override;
  X11KeyboardDevice(const X11KeyboardDevice&) = delete;
  X11KeyboardDevice& operator=(const X11KeyboardDevice&) = delete;

  // X needs nothing bound to our window, so the handle goes unused: raw
  // key events and the server's key map both cover the whole keyboard.
  // Fails only without a display connection.
  void open(NativeHandle window) override;
  // No request to the server while raw events are coming in: the events
  // that have arrived are applied and the map is copied.
  void getState(KeyboardState& state) override;
  // Only raw events tell of every change; a keyboard asked on every poll
  // cannot tell.
  bool unchangedSinceLastState() override;
  void callOnChange(std::function<void()> changed) override;

  // Whether the key with this X key code is down now, from the same map
  // (the server's own before the device is open).
  bool keyDown(int xKeycode);

 private:
  Display* display_;
  Source source_;
  bool open_ = false;
  std::unique_ptr<RawKeyEvents> raw_;
  bool stateTaken_ = false;
  std::uint64_t changesAtState_ = 0;  // the raw map's count at the last snapshot
  std::function<void()> changed_;
};

class X11LockKeySource final : public LockKeySource {
 public:
  X11LockKeySource(Display* display, X11KeyboardDevice& keyboard) : display_(display), keyboard_(keyboard) {}

  // On: the server's keyboard indicator of that name (one request). Held:
  // the key the layout puts the lock on is down in the keyboard's map.
  LockKeyState state(LockKey key) override;

 private:
  Display* display_;
  X11KeyboardDevice& keyboard_;
};

}  // namespace lumio::x11
