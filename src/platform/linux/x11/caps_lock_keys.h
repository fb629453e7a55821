// Which X keys are Caps Lock: those that the keyboard's layout gives
// Caps_Lock on the first level of the group (layout) in use, wherever they
// sit. Read through XKB, and kept up to date from XKB's own events, so that
// a poll asks the server nothing.
#pragma once

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include "platform/linux/x11/key_codes.h"

namespace lumio::x11 {

class CapsLockKeys {
 public:
  CapsLockKeys() = default;
  ~CapsLockKeys();
  CapsLockKeys(const CapsLockKeys&) = delete;
  CapsLockKeys& operator=(const CapsLockKeys&) = delete;

  // Reads the layout of the display's keyboard now. With `follow`, first
  // asks for the events that tell of a new layout or another group, which
  // handle() then takes. Without XKB the key at Caps Lock's place counts.
  void read(Display* display, bool follow);

  // Takes one event: true when it was one of ours. A new keymap is read in
  // the next refresh(), once however many events announced it.
  bool handle(const XEvent& event);
  void refresh();

  const KeycodeSet& keycodes() const { return keycodes_; }

 private:
  void readMap();
  void pickKeys();

  Display* display_ = nullptr;
  int eventBase_ = -1;  // XKB's first event number; -1 without XKB
  XkbDescPtr map_ = nullptr;
  int group_ = 0;  // the effective group
  bool mapStale_ = false;
  KeycodeSet keycodes_ = KeysAtCapsLockPlace();
};

}  // namespace lumio::x11
