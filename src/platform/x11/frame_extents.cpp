#include "platform/x11/frame_extents.h"

#include <X11/Xatom.h>

#include <thread>

namespace lumio::x11 {

namespace {

bool WindowManagerOffers(Display* display, Atom feature) {
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  const Atom supported = XInternAtom(display, "_NET_SUPPORTED", False);
  if (XGetWindowProperty(display, DefaultRootWindow(display), supported, 0, 4096, False, XA_ATOM, &type, &format,
                         &count, &after, &data) != Success ||
      data == nullptr)
    return false;
  bool offered = false;
  const auto* atoms = reinterpret_cast<const unsigned long*>(data);
  for (unsigned long i = 0; i < count && format == 32; ++i) offered = offered || atoms[i] == feature;
  XFree(data);
  return offered;
}

bool ReadFrameExtents(Display* display, Window window, FrameExtents& out) {
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  const Atom extents = XInternAtom(display, "_NET_FRAME_EXTENTS", False);
  if (XGetWindowProperty(display, window, extents, 0, 4, False, XA_CARDINAL, &type, &format, &count, &after,
                         &data) != Success ||
      data == nullptr)
    return false;
  const bool complete = format == 32 && count == 4;
  if (complete) {
    const auto* values = reinterpret_cast<const long*>(data);
    out = {static_cast<int>(values[0]), static_cast<int>(values[1]), static_cast<int>(values[2]),
           static_cast<int>(values[3])};
  }
  XFree(data);
  return complete;
}

}  // namespace

FrameExtents RequestFrameExtents(Display* display, Window window, std::chrono::milliseconds patience) {
  FrameExtents frame;
  const Atom request = XInternAtom(display, "_NET_REQUEST_FRAME_EXTENTS", False);
  if (!WindowManagerOffers(display, request)) return frame;

  XEvent message{};
  message.xclient.type = ClientMessage;
  message.xclient.window = window;
  message.xclient.message_type = request;
  message.xclient.format = 32;
  XSendEvent(display, DefaultRootWindow(display), False, SubstructureRedirectMask | SubstructureNotifyMask,
             &message);
  XFlush(display);
  // Looking at the property leaves every event in the queue for the toolkit.
  const auto deadline = std::chrono::steady_clock::now() + patience;
  while (!ReadFrameExtents(display, window, frame) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  return frame;
}

Position CentredFramePosition(int screenWidth, int screenHeight, int clientWidth, int clientHeight,
                              const FrameExtents& frame) {
  const int outerWidth = clientWidth + frame.left + frame.right;
  const int outerHeight = clientHeight + frame.top + frame.bottom;
  return {(screenWidth - outerWidth) / 2, (screenHeight - outerHeight) / 2};
}

}  // namespace lumio::x11
