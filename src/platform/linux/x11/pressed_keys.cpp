#include "platform/linux/x11/pressed_keys.h"

#include <cstdio>
#include <string>

#include "platform/linux/x11/raw_key_events.h"

namespace lumio::x11 {

QueriedKeys::QueriedKeys(Display* display) : display_(XOpenDisplay(DisplayString(display))) {
  ownConnection_ = display_ != nullptr;
  if (!ownConnection_) display_ = display;
  capsLock_.read(display_, ownConnection_);
}

QueriedKeys::~QueriedKeys() {
  if (ownConnection_) XCloseDisplay(display_);
}

void QueriedKeys::keysDown(char (&keys)[32]) {
  // Only the layout's events come in on a connection of our own.
  while (ownConnection_ && XEventsQueued(display_, QueuedAfterReading) > 0) {
    XEvent event;
    XNextEvent(display_, &event);
    capsLock_.handle(event);
  }
  capsLock_.refresh();
  XQueryKeymap(display_, keys);
}

std::unique_ptr<PressedKeys> OpenPressedKeys(Display* display) {
  std::string whyNot;
  if (auto raw = RawKeyEvents::Open(DisplayString(display), whyNot)) return raw;
  std::fprintf(stderr, "lumio-capslock: %s; asking the server for the whole keyboard on every poll instead\n",
               whyNot.c_str());
  return std::make_unique<QueriedKeys>(display);
}

}  // namespace lumio::x11
