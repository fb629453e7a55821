#include "platform/linux/x11/desktop_icons_x11.h"

#include <X11/Xatom.h>

#include <vector>

#include "platform/linux/x11/x11_display.h"

namespace lumio::x11 {

namespace {

bool IsDesktopType(Display* display, Window window, Atom typeProperty, Atom desktopType) {
  Atom actualType = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(display, window, typeProperty, 0, 32, False, XA_ATOM, &actualType, &format, &count, &after,
                         &data) != Success ||
      data == nullptr)
    return false;
  bool found = false;
  if (actualType == XA_ATOM && format == 32) {
    // Format 32 properties come back as an array of long.
    const auto* atoms = reinterpret_cast<const unsigned long*>(data);
    for (unsigned long i = 0; i < count && !found; ++i) found = atoms[i] == desktopType;
  }
  XFree(data);
  return found;
}

std::vector<Window> ChildrenOf(Display* display, Window parent) {
  Window root = 0, up = 0, *children = nullptr;
  unsigned count = 0;
  if (XQueryTree(display, parent, &root, &up, &children, &count) == 0) return {};
  std::vector<Window> out(children, children + count);
  if (children != nullptr) XFree(children);
  return out;
}

}  // namespace

Window FindDesktopWindow(Display* display) {
  const Atom typeProperty = XInternAtom(display, "_NET_WM_WINDOW_TYPE", False);
  const Atom desktopType = XInternAtom(display, "_NET_WM_WINDOW_TYPE_DESKTOP", False);
  // Windows of other programs may go away while we look.
  XErrorTrap trap(display);
  const std::vector<Window> topLevel = ChildrenOf(display, DefaultRootWindow(display));
  for (Window window : topLevel)
    if (IsDesktopType(display, window, typeProperty, desktopType)) return window;
  for (Window frame : topLevel)
    for (Window client : ChildrenOf(display, frame))
      if (IsDesktopType(display, client, typeProperty, desktopType)) return client;
  return 0;
}

void X11DesktopIcons::setVisible(bool visible) {
  if (display_ == nullptr) return;
  const Window desktop = FindDesktopWindow(display_);
  if (desktop == 0) return;
  XErrorTrap trap(display_);
  if (visible) {
    XMapWindow(display_, desktop);
    XRemoveFromSaveSet(display_, desktop);
  } else {
    // In our save-set, the server maps it again when our connection
    // closes: a killed or crashed program gives the icons back too.
    XAddToSaveSet(display_, desktop);
    XUnmapWindow(display_, desktop);
  }
}

}  // namespace lumio::x11
