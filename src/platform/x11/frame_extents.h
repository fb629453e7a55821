// The frame a window manager puts around our window, so that the window is
// centred as the user sees it: frame and title bar included.
#pragma once

#include <X11/Xlib.h>

#include <chrono>

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

// The position to ask for so that the window with its frame is centred on
// a screen of that size: with the usual north-west gravity the window
// manager puts the frame's top-left corner where the window asks to be.
Position CentredFramePosition(int screenWidth, int screenHeight, int clientWidth, int clientHeight,
                              const FrameExtents& frame);

}  // namespace lumio::x11
