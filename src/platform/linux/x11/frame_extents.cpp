#include "platform/linux/x11/frame_extents.h"

#include <X11/Xatom.h>

#include <thread>
#include <vector>

#include "platform/linux/x11/x11_display.h"

namespace lumio::x11 {

namespace {

// A property of 32-bit items (atoms, windows); empty when it is not there.
bool WindowManagerOffers(Display* display, Atom feature) {
  const Window root = DefaultRootWindow(display);
  const std::vector<unsigned long> check = PropertyItems(display, root, "_NET_SUPPORTING_WM_CHECK", XA_WINDOW);
  if (check.size() != 1) return false;
  {
    XErrorTrap gone(display);  // the window may no longer exist
    const std::vector<unsigned long> self = PropertyItems(display, check[0], "_NET_SUPPORTING_WM_CHECK", XA_WINDOW);
    if (self.size() != 1 || self[0] != check[0]) return false;
  }
  for (const unsigned long atom : PropertyItems(display, root, "_NET_SUPPORTED", XA_ATOM))
    if (atom == feature) return true;
  return false;
}

bool ReadFrameExtents(Display* display, Window window, FrameExtents& out) {
  const std::vector<unsigned long> values = PropertyItems(display, window, "_NET_FRAME_EXTENTS", XA_CARDINAL);
  if (values.size() != 4) return false;
  const auto side = [&](std::size_t i) { return static_cast<int>(static_cast<long>(values[i])); };
  out = {side(0), side(1), side(2), side(3)};
  return true;
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
