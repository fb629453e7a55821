#include "platform/linux/x11/lock_keys_x11.h"

#include <X11/XKBlib.h>
#include <X11/keysym.h>

#include <optional>

#include "platform/linux/x11/key_codes.h"

namespace lumio::x11 {

namespace {

struct LockKeyNames {
  const char* indicator;
  KeySym keysym;
  int dik;  // where the key sits when the server's map does not say
};

LockKeyNames NamesOf(LockKey key) {
  switch (key) {
    case LockKey::Caps: return {"Caps Lock", XK_Caps_Lock, 58};
    case LockKey::Num: return {"Num Lock", XK_Num_Lock, 69};
    case LockKey::Scroll: return {"Scroll Lock", XK_Scroll_Lock, 70};
  }
  return {"Caps Lock", XK_Caps_Lock, 58};
}

}  // namespace

LockKeyState X11LockKeySource::state(LockKey key) {
  if (display_ == nullptr) return {};
  const LockKeyNames names = NamesOf(key);
  LockKeyState result;
  // XWayland's indicators go stale while a Wayland window has the focus;
  // the watch follows the compositor's own state. Xlib keeps atoms it has
  // interned: only the indicator costs a request.
  const std::optional<bool> lit = lock_ != nullptr ? lock_->on(key) : std::nullopt;
  Bool on = False;
  if (lit)
    result.on = *lit;
  else
    result.on = XkbGetNamedIndicator(display_, XInternAtom(display_, names.indicator, False), nullptr, &on, nullptr,
                                     nullptr) &&
                on;

  char down[32] = {};
  keys_.keysDown(down);
  if (key == LockKey::Caps) {
    const KeycodeSet& caps = keys_.capsLockKeys();
    for (std::size_t code = 0; code < caps.size() && !result.held; ++code)
      result.held = caps[code] && KeyIsDown(down, code);
    return result;
  }
  // Whichever key the layout puts the lock on; the usual one if none.
  int keycode = XKeysymToKeycode(display_, names.keysym);
  if (keycode == 0) keycode = XKeycodeFromDik(names.dik);
  result.held = keycode > 0 && KeyIsDown(down, static_cast<std::size_t>(keycode));
  return result;
}

}  // namespace lumio::x11
