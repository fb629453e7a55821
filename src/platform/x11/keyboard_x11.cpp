#include "platform/x11/keyboard_x11.h"

#include <X11/XKBlib.h>
#include <X11/keysym.h>

#include <cstdio>
#include <string>

#include "platform/x11/key_codes.h"
#include "platform/x11/raw_key_events.h"
#include "seam/failure.h"

namespace lumio::x11 {

X11KeyboardDevice::X11KeyboardDevice(Display* display, Source source) : display_(display), source_(source) {}

X11KeyboardDevice::~X11KeyboardDevice() = default;

void X11KeyboardDevice::open(NativeHandle /*window*/) {
  open_ = false;
  raw_.reset();
  if (display_ == nullptr) throw failures::DeviceIoError();
  if (source_ == Source::RawEvents) {
    std::string whyNot;
    raw_ = RawKeyEvents::Open(DisplayString(display_), whyNot);
    if (raw_ == nullptr)
      std::fprintf(stderr, "lumio-capslock: %s; asking the server for the whole keyboard on every poll instead\n",
                   whyNot.c_str());
  }
  open_ = true;
}

void X11KeyboardDevice::getState(KeyboardState& state) {
  if (!open_) throw failures::ObjectNotSet();
  if (raw_ != nullptr) {
    raw_->applyArrived();
    TranslateKeymap(raw_->keys(), state);
    return;
  }
  char keys[32] = {};
  XQueryKeymap(display_, keys);
  TranslateKeymap(keys, state);
}

namespace {

struct LockKey {
  int virtualKey;
  const char* indicator;
  KeySym keysym;
  int dik;  // where the key sits when the server's map does not say
};

constexpr LockKey kLockKeys[] = {
    {kVkCapital, "Caps Lock", XK_Caps_Lock, 58},
    {kVkNumLock, "Num Lock", XK_Num_Lock, 69},
    {kVkScroll, "Scroll Lock", XK_Scroll_Lock, 70},
};

}  // namespace

std::int16_t X11LockKeySource::getKeyState(int virtualKey) {
  const LockKey* key = nullptr;
  for (const LockKey& k : kLockKeys)
    if (k.virtualKey == virtualKey) key = &k;
  if (key == nullptr || display_ == nullptr) return 0;

  unsigned state = 0;
  Bool on = False;
  if (XkbGetNamedIndicator(display_, XInternAtom(display_, key->indicator, False), nullptr, &on, nullptr, nullptr) &&
      on)
    state |= 0x0001u;

  // Whichever key the layout puts the lock on; the usual one if none.
  int keycode = XKeysymToKeycode(display_, key->keysym);
  if (keycode == 0) keycode = XKeycodeFromDik(key->dik);
  char keys[32] = {};
  XQueryKeymap(display_, keys);
  if (keycode > 0 && keycode < 256 && (static_cast<unsigned char>(keys[keycode / 8]) & (1u << (keycode % 8))) != 0)
    state |= 0x8000u;
  return static_cast<std::int16_t>(state);
}

}  // namespace lumio::x11
