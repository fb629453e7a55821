// Text painted straight onto the root window, over every window, and the
// repaint that makes every window draw itself again.
#pragma once

// Our headers before X's: Xlib defines None, True and False as macros.
#include "seam/screen_surface.h"

#include <X11/Xft/Xft.h>
#include <X11/Xlib.h>

namespace lumio::x11 {

// Opens the font the request describes, its cell (ascent + descent) made as
// tall as the request's height. nullptr when no font can be had; the
// caller closes it with XftFontClose.
XftFont* OpenRequestedFont(Display* display, int screen, const FontRequest& request);

class X11ScreenSurface final : public ScreenSurface {
 public:
  explicit X11ScreenSurface(Display* display) : display_(display) {}

  void drawText(const FontRequest& font, std::int32_t x, std::int32_t y, Colour colour,
                std::string_view text) override;
  void repaintAll() override;

 private:
  Display* display_;
};

}  // namespace lumio::x11
