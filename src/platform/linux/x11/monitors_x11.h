// "The screen" on a desktop of several monitors: the primary monitor, as
// Windows counts its desktop from the primary monitor's top-left corner.
#pragma once

#include <X11/Xlib.h>

#include <string>
#include <vector>

namespace lumio::x11 {

struct ScreenArea {
  int x = 0, y = 0, width = 0, height = 0;
};

struct Monitor {
  ScreenArea area;
  bool primary = false;
};

// The primary monitor, else the first, else (no monitor of any size) the
// whole root window.
ScreenArea ChooseScreen(const std::vector<Monitor>& monitors, const ScreenArea& root);

// ChooseScreen over the monitors RandR 1.5 reports now: one request. The
// whole root window on a server without RandR 1.5.
ScreenArea PrimaryMonitor(Display* display);

// The same monitor with its RandR name (one request more), which under
// XWayland may be the compositor's name for it; the root window, unnamed,
// where PrimaryMonitor gives the root window.
struct NamedMonitor {
  ScreenArea area;
  std::string name;
};
NamedMonitor PrimaryMonitorNamed(Display* display);

}  // namespace lumio::x11
