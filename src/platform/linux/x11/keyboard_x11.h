// The whole keyboard as the X server sees it, whichever window has the
// focus, and the state of the three lock keys.
#pragma once

// Our headers before X's: Xlib defines None, True and False as macros.
#include "platform/linux/os/keyboard_lights.h"
#include "seam/keyboard_device.h"
#include "seam/lock_key_source.h"

#include <X11/Xlib.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "platform/linux/x11/caps_lock_keys.h"

namespace lumio::x11 {

class RawKeyEvents;

class X11KeyboardDevice final : public KeyboardDevice {
 public:
  // Where a snapshot comes from. RawEvents falls back to QueryEachPoll by
  // itself when the server cannot send raw key events; tests choose
  // QueryEachPoll to run that path on any server.
  enum class Source { RawEvents, QueryEachPoll };

  // With `lights` (a Wayland session), a Caps Lock light that changed
  // since the last snapshot reads as Caps Lock down in this one.
  explicit X11KeyboardDevice(Display* display, Source source = Source::RawEvents,
                             std::unique_ptr<os::KeyboardLights> lights = nullptr);
  ~X11KeyboardDevice() override;
  X11KeyboardDevice(const X11KeyboardDevice&) = delete;
  X11KeyboardDevice& operator=(const X11KeyboardDevice&) = delete;

  // X needs nothing bound to our window, so the handle goes unused: raw
  // key events and the server's key map both cover the whole keyboard.
  // Fails only without a display connection.
  void open(NativeHandle window) override;
  // No request to the server while raw events are coming in: the events
  // that have arrived are applied and the map is copied. A key pressed and
  // released since the last snapshot is down in this one.
  void getState(KeyboardState& state) override;
  // Only raw events tell of every change; a keyboard asked on every poll
  // cannot tell.
  bool unchangedSinceLastState() override;
  void callOnChange(std::function<void()> changed) override;

  // Whether the key with this X key code is down now, from the same map
  // (the server's own before the device is open).
  bool keyDown(int xKeycode);
  // Whether a key that the snapshot reads as Caps Lock (58) is down now.
  bool capsLockHeld();

  // The lights are read at every snapshot: nothing tells when they change,
  // so polling must keep its rhythm.
  bool readsLights() const { return lights_ != nullptr; }
  // Whether the lock's light is lit on some keyboard; nothing without
  // lights to read.
  std::optional<bool> lightLit(LockKey key);

 private:
  void readKeys(KeyboardState& state);
  // The keys down now, in XQueryKeymap's form.
  void keysDown(char (&keys)[32]);
  const KeycodeSet& capsLockKeys() const;

  Display* display_;
  Source source_;
  bool open_ = false;
  std::unique_ptr<RawKeyEvents> raw_;
  // Without a connection of our own: the layout as it was at open.
  std::unique_ptr<CapsLockKeys> capsLockAtOpen_;
  std::unique_ptr<os::KeyboardLights> lights_;
  bool stateTaken_ = false;
  std::uint64_t changesAtState_ = 0;  // the raw map's count at the last snapshot
  std::function<void()> changed_;
};

class X11LockKeySource final : public LockKeySource {
 public:
  X11LockKeySource(Display* display, X11KeyboardDevice& keyboard) : display_(display), keyboard_(keyboard) {}

  // On: the keyboard lights where the keyboard reads them, else the
  // server's keyboard indicator of that name (one request). Held: the key
  // the layout puts the lock on is down in the keyboard's map; for Caps
  // Lock, a key the snapshot reads as 58.
  LockKeyState state(LockKey key) override;

 private:
  Display* display_;
  X11KeyboardDevice& keyboard_;
};

}  // namespace lumio::x11
