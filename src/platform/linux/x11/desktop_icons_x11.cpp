#include "platform/linux/x11/desktop_icons_x11.h"

#include <X11/Xatom.h>

#include <vector>

#include "platform/linux/x11/x11_display.h"

namespace lumio::x11 {

namespace {

bool IsDesktopType(Display* display, Window window, Atom desktopType) {
  for (unsigned long type : PropertyItems(display, window, "_NET_WM_WINDOW_TYPE", XA_ATOM))
    if (type == desktopType) return true;
  return false;
}

}  // namespace

Window FindDesktopWindow(Display* display) {
  const Atom desktopType = XInternAtom(display, "_NET_WM_WINDOW_TYPE_DESKTOP", False);
  // Windows of other programs may go away while we look.
  XErrorTrap trap(display);
  const std::vector<Window> topLevel = ChildrenOf(display, DefaultRootWindow(display));
  for (Window window : topLevel)
    if (IsDesktopType(display, window, desktopType)) return window;
  for (Window frame : topLevel)
    for (Window client : ChildrenOf(display, frame))
      if (IsDesktopType(display, client, desktopType)) return client;
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
