// The desktop window (the one a file manager draws the icons on), found by
// its window type: unmapped to hide the icons, mapped to show them again.
#pragma once

// Our headers before X's: Xlib defines None, True and False as macros.
#include "seam/desktop_icons.h"

#include <X11/Xlib.h>

namespace lumio::x11 {

// The first top-level window typed _NET_WM_WINDOW_TYPE_DESKTOP: a child of
// the root, or a client one level below a window manager's frame. 0: none.
Window FindDesktopWindow(Display* display);

class X11DesktopIcons final : public DesktopIcons {
 public:
  explicit X11DesktopIcons(Display* display) : display_(display) {}
  void setVisible(bool visible) override;

 private:
  Display* display_;
};

}  // namespace lumio::x11
