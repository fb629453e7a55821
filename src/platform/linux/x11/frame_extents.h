// The frame a window manager puts around our window, so that the window is
// centred as the user sees it: frame and title bar included.
#pragma once

#include <X11/Xlib.h>

#include <chrono>

#include "platform/linux/x11/monitors_x11.h"

namespace lumio::x11 {

struct FrameExtents {
  int left = 0, right = 0, top = 0, bottom = 0;
};

struct Position {
  int x = 0, y = 0;
};

// Asks the window manager how thick the frame of this not yet mapped
// window will be (_NET_REQUEST_FRAME_EXTENTS) and waits for its answer in
// _NET_FRAME_EXTENTS. No frame when no window manager offers that, or when
// none answers in time.
FrameExtents RequestFrameExtents(Display* display, Window window, std::chrono::milliseconds patience);

// Where the window itself goes so that it is centred on the area with its
// frame. The window asks for static gravity: a window manager frames it
// where it is, and one that starts later or takes over frames it there
// again instead of moving it by the frame's thickness.
Position CentredClientPosition(const ScreenArea& area, int clientWidth, int clientHeight, const FrameExtents& frame);

}  // namespace lumio::x11
