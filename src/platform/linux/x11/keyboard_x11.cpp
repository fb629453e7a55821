#include "platform/linux/x11/keyboard_x11.h"

#include <X11/XKBlib.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>

#include "platform/linux/x11/key_codes.h"
#include "platform/linux/x11/raw_key_events.h"
#include "seam/failure.h"

namespace lumio::x11 {

X11KeyboardDevice::X11KeyboardDevice(Display* display, Source source, std::unique_ptr<os::KeyboardLights> lights)
    : display_(display), source_(source), lights_(std::move(lights)) {}

X11KeyboardDevice::~X11KeyboardDevice() = default;

void X11KeyboardDevice::open(NativeHandle /*window*/) {
  open_ = false;
  stateTaken_ = false;
  raw_.reset();
  capsLockAtOpen_.reset();
  if (display_ == nullptr) throw failures::DeviceIoError();
  std::string whyNot;
  raw_ = RawKeyEvents::Open(DisplayString(display_), source_ == Source::RawEvents, whyNot);
  if (!whyNot.empty())
    std::fprintf(stderr, "lumio-capslock: %s; asking the server for the whole keyboard on every poll instead\n",
                 whyNot.c_str());
  if (raw_ == nullptr) {
    capsLockAtOpen_ = std::make_unique<CapsLockKeys>();
    capsLockAtOpen_->read(display_, false);
  } else {
    raw_->callOnArrival(changed_);
  }
  open_ = true;
}

void X11KeyboardDevice::getState(KeyboardState& state) {
  readKeys(state);
  // XWayland hears only keys typed into X11 windows; a light that changed
  // stands for a press in any window, seen for this one snapshot.
  if (lights_ != nullptr && lights_->capsLockChanged()) state[kCapsLockCode] = 128;
}

std::optional<bool> X11KeyboardDevice::lightLit(LockKey key) {
  return lights_ != nullptr ? lights_->lit(key) : std::nullopt;
}

void X11KeyboardDevice::readKeys(KeyboardState& state) {
  if (!open_) throw failures::ObjectNotSet();
  char keys[32] = {};
  if (raw_ != nullptr) raw_->applyArrived();
  if (raw_ != nullptr && raw_->hasRawKeys()) {
    raw_->takeForPoll(keys);
    stateTaken_ = true;
    changesAtState_ = raw_->changes();
  } else {
    XQueryKeymap(display_, keys);
  }
  TranslateKeymap(keys, capsLockKeys(), state);
}

void X11KeyboardDevice::keysDown(char (&keys)[32]) {
  if (raw_ != nullptr) raw_->applyArrived();
  if (raw_ != nullptr && raw_->hasRawKeys())
    std::copy(std::begin(raw_->keys()), std::end(raw_->keys()), std::begin(keys));
  else
    XQueryKeymap(display_, keys);
}

// Only while open: then one of the two is there.
const KeycodeSet& X11KeyboardDevice::capsLockKeys() const {
  return raw_ != nullptr ? raw_->capsLockKeys() : capsLockAtOpen_->keycodes();
}

// Every condition is one way the next snapshot could differ from the last
// one without any event saying so; each must hold for polling to rest.
bool X11KeyboardDevice::unchangedSinceLastState() {
  // No events to tell, or no snapshot to compare with.
  if (raw_ == nullptr || !raw_->hasRawKeys() || !stateTaken_) return false;
  // The lights tell nobody when they change: they are read on every poll.
  if (readsLights()) return false;
  raw_->applyArrived();  // what is on its way counts as come in
  return raw_->changes() == changesAtState_;
}

void X11KeyboardDevice::callOnChange(std::function<void()> changed) {
  changed_ = std::move(changed);
  if (raw_ != nullptr) raw_->callOnArrival(changed_);
}

bool X11KeyboardDevice::keyDown(int xKeycode) {
  if (xKeycode <= 0 || xKeycode > 255 || display_ == nullptr) return false;
  char keys[32] = {};
  keysDown(keys);
  return KeyIsDown(keys, static_cast<std::size_t>(xKeycode));
}

bool X11KeyboardDevice::capsLockHeld() {
  if (display_ == nullptr) return false;
  char keys[32] = {};
  keysDown(keys);
  // Before the device opens, the layout is read for this one question.
  CapsLockKeys unopened;
  if (!open_) unopened.read(display_, false);
  const KeycodeSet& caps = open_ ? capsLockKeys() : unopened.keycodes();
  for (std::size_t code = 0; code < caps.size(); ++code)
    if (caps[code] && KeyIsDown(keys, code)) return true;
  return false;
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
  // XWayland's indicators go stale while a Wayland window has the focus;
  // the lights follow the compositor's own state. Xlib keeps atoms it has
  // interned: only the indicator costs a request.
  if (const std::optional<bool> lit = keyboard_.lightLit(key))
    result.on = *lit;
  else
    result.on = XkbGetNamedIndicator(display_, XInternAtom(display_, names.indicator, False), nullptr, &on, nullptr,
                                     nullptr) &&
                on;
  if (key == LockKey::Caps) {
    result.held = keyboard_.capsLockHeld();
    return result;
  }
  // Whichever key the layout puts the lock on; the usual one if none.
  int keycode = XKeysymToKeycode(display_, names.keysym);
  if (keycode == 0) keycode = XKeycodeFromDik(names.dik);
  result.held = keyboard_.keyDown(keycode);
  return result;
}

}  // namespace lumio::x11
