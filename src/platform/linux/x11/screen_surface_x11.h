// Text painted over every window, each text in a window of its own that
// stays until the next repaint of everything, and that repaint, which
// makes every window draw itself again.
#pragma once

#include <memory>
#include <vector>

// Our headers before X's: Xlib defines None, True and False as macros.
#include "platform/linux/x11/text_window_x11.h"
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
  ~X11ScreenSurface() override;
  X11ScreenSurface(const X11ScreenSurface&) = delete;
  X11ScreenSurface& operator=(const X11ScreenSurface&) = delete;

  void drawText(const FontRequest& font, std::int32_t x, std::int32_t y, Colour colour,
                std::string_view text) override;
  void repaintAll() override;

 private:
  // Keeps our texts above windows the window manager raises or maps while
  // they show, by watching the root's children through FLTK's events.
  void watchStacking(bool on);
  static int OnXEvent(void* event, void* data);
  void removeTexts();

  Display* display_;
  std::vector<std::unique_ptr<TextWindow>> texts_;
  ArgbVisual argb_;
  bool argbLookedUp_ = false;
  bool watching_ = false;
  bool addedRootMask_ = false;
};

}  // namespace lumio::x11
