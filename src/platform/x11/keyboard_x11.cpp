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
  stateTaken_ = false;
  raw_.reset();
  if (display_ == nullptr) throw failures::DeviceIoError();
  if (source_ == Source::RawEvents) {
    std::string whyNot;
    raw_ = RawKeyEvents::Open(DisplayString(display_), whyNot);
    if (raw_ == nullptr)
      std::fprintf(stderr, "lumio-capslock: %s; asking the server for the whole keyboard on every poll instead\n",
                   whyNot.c_str());
    else
      raw_->callOnArrival(changed_);
  }
  open_ = true;
}

void X11KeyboardDevice::getState(KeyboardState& state) {
  if (!open_) throw failures::ObjectNotSet();
  if (raw_ != nullptr) {
    raw_->applyArrived();
    TranslateKeymap(raw_->keys(), state);
    stateTaken_ = true;
    changesAtState_ = raw_->changes();
    return;
  }
  char keys[32] = {};
  XQueryKeymap(display_, keys);
  TranslateKeymap(keys, state);
}

// Every condition is one way the next snapshot could differ from the last
// one without any event saying so; each must hold for polling to rest.
bool X11KeyboardDevice::unchangedSinceLastState() {
  if (raw_ == nullptr || !stateTaken_) return false;  // no events to tell, or no snapshot to compare with
  raw_->applyArrived();                               // what is on its way counts as come in
  return raw_->changes() == changesAtState_;
}

void X11KeyboardDevice::callOnChange(std::function<void()> changed) {
  changed_ = std::move(changed);
  if (raw_ != nullptr) raw_->callOnArrival(changed_);
}

bool X11KeyboardDevice::keyDown(int xKeycode) {
  if (xKeycode <= 0 || xKeycode > 255 || display_ == nullptr) return false;
  char queried[32] = {};
  const char* keys = queried;
  if (raw_ != nullptr) {
    raw_->applyArrived();
    keys = raw_->keys();
  } else {
    XQueryKeymap(display_, queried);
  }
  return (static_cast<unsigned char>(keys[xKeycode / 8]) & (1u << (xKeycode % 8))) != 0;
}

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
  Bool on = False;
  // Xlib keeps atoms it has interned: only the indicator costs a request.
  result.on = XkbGetNamedIndicator(display_, XInternAtom(display_, names.indicator, False), nullptr, &on, nullptr,
                                   nullptr) &&
              on;
  // Whichever key the layout puts the lock on; the usual one if none.
  int keycode = XKeysymToKeycode(display_, names.keysym);
  if (keycode == 0) keycode = XKeycodeFromDik(names.dik);
  result.held = keyboard_.keyDown(keycode);
  return result;
}

}  // namespace lumio::x11
