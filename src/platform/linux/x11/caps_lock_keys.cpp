#include "platform/linux/x11/caps_lock_keys.h"

#include <X11/keysym.h>

namespace lumio::x11 {

namespace {

// The group a key shows for the keyboard's effective group: a key with
// fewer groups wraps, clamps or redirects as its own settings say, the way
// the server picks its symbols. -1 for a key with no symbols.
int GroupOfKey(XkbDescPtr map, int keycode, int group) {
  const int groups = XkbKeyNumGroups(map, keycode);
  if (groups <= 0) return -1;
  if (group < groups) return group;
  const unsigned char info = XkbKeyGroupInfo(map, keycode);
  switch (XkbOutOfRangeGroupAction(info)) {
    case XkbClampIntoRange: return groups - 1;
    case XkbRedirectIntoRange: {
      const int redirect = XkbOutOfRangeGroupNumber(info);
      return redirect < groups ? redirect : 0;
    }
    default: return group % groups;
  }
}

}  // namespace

CapsLockKeys::~CapsLockKeys() {
  if (map_ != nullptr) XkbFreeKeyboard(map_, 0, True);
}

void CapsLockKeys::read(Display* display, bool follow) {
  display_ = display;
  int opcode = 0, eventBase = 0, errorBase = 0, major = XkbMajorVersion, minor = XkbMinorVersion;
  if (!XkbQueryExtension(display_, &opcode, &eventBase, &errorBase, &major, &minor)) {
    eventBase_ = -1;
    keycodes_ = KeysAtCapsLockPlace();
    return;
  }
  eventBase_ = eventBase;
  if (follow) {
    // Selected before reading, so that no change after the reading goes
    // unheard. A group changes with every switch of layout; the map with
    // setxkbmap, a new keyboard or a changed option.
    constexpr unsigned long kMapEvents = XkbNewKeyboardNotifyMask | XkbMapNotifyMask;
    XkbSelectEvents(display_, XkbUseCoreKbd, kMapEvents, kMapEvents);
    XkbSelectEventDetails(display_, XkbUseCoreKbd, XkbStateNotify, XkbGroupStateMask, XkbGroupStateMask);
  }
  readMap();
}

bool CapsLockKeys::handle(const XEvent& event) {
  if (eventBase_ < 0 || event.type != eventBase_) return false;
  const auto& xkb = reinterpret_cast<const XkbEvent&>(event);
  switch (xkb.any.xkb_type) {
    case XkbNewKeyboardNotify:
    case XkbMapNotify: mapStale_ = true; break;
    case XkbStateNotify:
      if (xkb.state.group != group_) {
        group_ = xkb.state.group;
        pickKeys();
      }
      break;
    default: break;
  }
  return true;
}

void CapsLockKeys::refresh() {
  if (mapStale_) readMap();
}

void CapsLockKeys::readMap() {
  mapStale_ = false;
  if (map_ != nullptr) XkbFreeKeyboard(map_, 0, True);
  map_ = XkbGetMap(display_, XkbKeySymsMask, XkbUseCoreKbd);
  XkbStateRec state{};
  if (XkbGetState(display_, XkbUseCoreKbd, &state) == Success) group_ = state.group;
  pickKeys();
}

void CapsLockKeys::pickKeys() {
  if (map_ == nullptr || map_->map == nullptr) {
    keycodes_ = KeysAtCapsLockPlace();
    return;
  }
  keycodes_.reset();
  for (int keycode = map_->min_key_code; keycode <= map_->max_key_code && keycode < 256; ++keycode) {
    const int group = GroupOfKey(map_, keycode, group_);
    if (group >= 0 && XkbKeySymEntry(map_, keycode, 0, group) == XK_Caps_Lock)
      keycodes_.set(static_cast<std::size_t>(keycode));
  }
}

}  // namespace lumio::x11
