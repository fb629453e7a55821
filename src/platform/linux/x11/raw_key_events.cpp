#include "platform/linux/x11/raw_key_events.h"

#include <FL/Fl.H>
#include <X11/extensions/XInput2.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <iterator>

namespace lumio::x11 {

std::unique_ptr<RawKeyEvents> RawKeyEvents::Open(const char* displayName, std::string& whyNot) {
  Display* display = XOpenDisplay(displayName);
  if (display == nullptr) {
    whyNot = "cannot open a second connection to the X display";
    return nullptr;
  }
  int opcode = 0, firstEvent = 0, firstError = 0;
  // 2.2 is what we can use best: since 2.1 the server sends raw events to
  // every client that asks, also while another one holds a grab. It
  // answers with the highest version both sides know.
  int major = 2, minor = 2;
  if (!XQueryExtension(display, "XInputExtension", &opcode, &firstEvent, &firstError))
    whyNot = "the X server has no XInput extension";
  else if (XIQueryVersion(display, &major, &minor) != Success || major < 2)
    whyNot = "the X server's XInput is older than 2.0";
  if (whyNot.empty()) return std::unique_ptr<RawKeyEvents>(new RawKeyEvents(display, opcode));
  XCloseDisplay(display);
  return nullptr;
}

RawKeyEvents::RawKeyEvents(Display* display, int opcode) : display_(display), opcode_(opcode) {
  capsLock_.read(display_, true);
  const Window root = DefaultRootWindow(display_);
  unsigned char keyBits[XIMaskLen(XI_LASTEVENT)] = {};
  XISetMask(keyBits, XI_RawKeyPress);
  XISetMask(keyBits, XI_RawKeyRelease);
  // A keyboard plugged in or taken away may take keys that were down with
  // it; the map is read again then.
  unsigned char deviceBits[XIMaskLen(XI_LASTEVENT)] = {};
  XISetMask(deviceBits, XI_HierarchyChanged);
  XIEventMask masks[] = {{XIAllMasterDevices, sizeof keyBits, keyBits}, {XIAllDevices, sizeof deviceBits, deviceBits}};
  XISelectEvents(display_, root, masks, 2);
  // Asked after the selection on the same connection, so every change
  // after this reading arrives as an event.
  reseed();
  Fl::add_fd(ConnectionNumber(display_), OnReadable, this);
}

RawKeyEvents::~RawKeyEvents() {
  Fl::remove_fd(ConnectionNumber(display_));
  XCloseDisplay(display_);
}

void RawKeyEvents::reseed() { XQueryKeymap(display_, keys_); }

void RawKeyEvents::applyArrived() {
  // Nearly every poll finds nothing: one question to the kernel then, where
  // Xlib would try two reads. A system call is what a poll costs most.
  int waiting = 0;
  if (XQLength(display_) == 0 && ioctl(ConnectionNumber(display_), FIONREAD, &waiting) == 0 && waiting == 0) return;
  applyQueued();
}

void RawKeyEvents::applyQueued() {
  // QueuedAfterReading takes in what is on the socket without blocking and
  // without sending anything; XNextEvent then only takes from the queue.
  while (XEventsQueued(display_, QueuedAfterReading) > 0) {
    XEvent event;
    XNextEvent(display_, &event);
    apply(event);
  }
  capsLock_.refresh();
}

void RawKeyEvents::keysDown(char (&keys)[32]) {
  applyArrived();
  std::copy(std::begin(keys_), std::end(keys_), std::begin(keys));
}

std::optional<std::uint64_t> RawKeyEvents::keysForPoll(char (&keys)[32]) {
  applyArrived();
  for (int i = 0; i < 32; ++i) {
    keys[i] = static_cast<char>(keys_[i] | pressedSincePoll_[i]);
    pressedSincePoll_[i] = 0;
  }
  return changes_;
}

std::optional<std::uint64_t> RawKeyEvents::changes() {
  applyArrived();
  return changes_;
}

void RawKeyEvents::apply(XEvent& event) {
  if (capsLock_.handle(event)) return;
  XGenericEventCookie& cookie = event.xcookie;
  if (cookie.type != GenericEvent || cookie.extension != opcode_) return;
  if (cookie.evtype == XI_HierarchyChanged) {
    reseed();
    ++changes_;
    return;
  }
  if (cookie.evtype != XI_RawKeyPress && cookie.evtype != XI_RawKeyRelease) return;
  ++changes_;
  if (!XGetEventData(display_, &cookie)) return;
  const int keycode = static_cast<const XIRawEvent*>(cookie.data)->detail;
  // An auto-repeated press finds the key down already and changes nothing.
  if (keycode > 0 && keycode < 256) {
    char& byte = keys_[keycode / 8];
    const auto bit = static_cast<char>(1u << (keycode % 8));
    byte = static_cast<char>(cookie.evtype == XI_RawKeyPress ? (byte | bit) : (byte & ~bit));
    char& pressed = pressedSincePoll_[keycode / 8];
    if (cookie.evtype == XI_RawKeyPress) pressed = static_cast<char>(pressed | bit);
  }
  XFreeEventData(display_, &cookie);
}

// Always through Xlib here: a socket that reads as empty yet wakes the loop
// has been closed by the server, and only Xlib's read tells that.
void RawKeyEvents::OnReadable(int /*fd*/, void* data) {
  auto& self = *static_cast<RawKeyEvents*>(data);
  const std::uint64_t before = self.changes_;
  self.applyQueued();
  if (self.changes_ != before && self.arrived_) self.arrived_();
}

}  // namespace lumio::x11
