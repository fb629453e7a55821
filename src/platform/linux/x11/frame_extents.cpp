#include "platform/linux/x11/frame_extents.h"

#include <X11/Xatom.h>

#include <thread>
#include <vector>

#include "platform/linux/x11/x11_display.h"

namespace lumio::x11 {

namespace {

// A property of 32-bit items (atoms, windows); empty when it is not there.
std::vector<unsigned long> Items(Display* display, Window window, const char* property, Atom type) {
  Atom actualType = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::vector<unsigned long> items;
  if (XGetWindowProperty(display, window, XInternAtom(display, property, False), 0, 4096, False, type, &actualType,
                         &format, &count, &after, &data) == Success &&
      data != nullptr) {
    if (format == 32) {
      const auto* values = reinterpret_cast<const unsigned long*>(data);
      items.assign(values, values + count);
    }
    XFree(data);
  }
  return items;
}

// A window manager that is running now (its check window is alive and
// names itself) and says it answers this request. What a window manager
// that has gone left on the root window does not count.
bool WindowManagerOffers(Display* display, Atom feature) {
  const Window root = DefaultRootWindow(display);
  const std::vector<unsigned long> check = Items(display, root, "_NET_SUPPORTING_WM_CHECK", XA_WINDOW);
  if (check.size() != 1) return false;
  {
    XErrorTrap gone(display);  // the window may no longer exist
    const std::vector<unsigned long> self = Items(display, check[0], "_NET_SUPPORTING_WM_CHECK", XA_WINDOW);
    if (self.size() != 1 || self[0] != check[0]) return false;
  }
  for (const unsigned long atom : Items(display, root, "_NET_SUPPORTED", XA_ATOM))
    if (atom == feature) return true;
  return false;
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

Position CentredClientPosition(const ScreenArea& area, int clientWidth, int clientHeight, const FrameExtents& frame) {
  const int outerWidth = clientWidth + frame.left + frame.right;
  const int outerHeight = clientHeight + frame.top + frame.bottom;
  return {area.x + (area.width - outerWidth) / 2 + frame.left, area.y + (area.height - outerHeight) / 2 + frame.top};
}

}  // namespace lumio::x11
