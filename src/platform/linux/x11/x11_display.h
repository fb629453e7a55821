// The one X connection the backend shares with FLTK, and small helpers
// around it.
#pragma once

#include <X11/Xlib.h>

#include <vector>

namespace lumio::x11 {

// Opens $DISPLAY on first use and hands the connection to FLTK, so that the
// toolkit, the keyboard, the overlay and the icons all talk over one
// connection in one order. nullptr when there is no display to open.
Display* SharedDisplay();

// The screen's resolution as described in text_rules.h.
int ScreenDpi(Display* display);

// The window's children, bottom to top; none for a window that is gone.
std::vector<Window> ChildrenOf(Display* display, Window window);

// A property of 32-bit items of this type (Xlib hands each over as a
// long); none when it is missing or of another type.
std::vector<unsigned long> PropertyItems(Display* display, Window window, const char* property, Atom type);

// While one of these lives, X protocol errors are swallowed instead of being
// reported: windows of other programs may disappear or turn out to be
// input-only between our looking at them and our request. The destructor
// waits for the replies so that no error arrives after it.
class XErrorTrap {
 public:
  explicit XErrorTrap(Display* display);
  ~XErrorTrap();
  XErrorTrap(const XErrorTrap&) = delete;
  XErrorTrap& operator=(const XErrorTrap&) = delete;

 private:
  Display* display_;
  int (*previous_)(Display*, XErrorEvent*);
};

}  // namespace lumio::x11
