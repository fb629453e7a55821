#include "platform/linux/x11/instance_guard_x11.h"

namespace lumio::x11 {

X11InstanceGuard::~X11InstanceGuard() {
  if (owner_ == 0) return;
  XDestroyWindow(display_, owner_);  // gives the selection up
  XFlush(display_);
}

bool X11InstanceGuard::anotherInstanceRunning() {
  if (owner_ != 0) return false;  // we hold it already
  const Atom selection = XInternAtom(display_, kInstanceSelection, False);
  // Two copies started together must not both see no owner and both claim:
  // the look and the claim are one step for the server.
  XGrabServer(display_);
  bool another = XGetSelectionOwner(display_, selection) != None;
  if (!another) {
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    const Window window = XCreateWindow(display_, DefaultRootWindow(display_), -1, -1, 1, 1, 0, CopyFromParent,
                                        InputOnly, CopyFromParent, CWOverrideRedirect, &attributes);
    XSetSelectionOwner(display_, selection, window, CurrentTime);
    if (XGetSelectionOwner(display_, selection) == window) {
      owner_ = window;
    } else {
      XDestroyWindow(display_, window);
      another = true;
    }
  }
  XUngrabServer(display_);
  XFlush(display_);
  return another;
}

}  // namespace lumio::x11
