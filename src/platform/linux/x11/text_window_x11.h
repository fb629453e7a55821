// One painted text as a window of its own: override-redirect (no window
// manager moves, decorates or lists it), shaped to its glyphs, deaf to the
// pointer, and holding its picture as its background so that the server
// repaints it with no help from us. A compositing manager paints the screen
// from each window's own picture and never from what is drawn on the root;
// a window of our own is also the one thing that stays whole while the
// windows beneath it repaint.
#pragma once

#include <string_view>

// Our headers before X's: Xlib defines None, True and False as macros.
#include "seam/screen_surface.h"

#include <X11/Xft/Xft.h>
#include <X11/Xlib.h>

namespace lumio::x11 {

// True while a compositing manager owns _NET_WM_CM_S<screen>. It can come
// and go while we run, so ask before each paint.
bool CompositorRunning(Display* display, int screen);

// A 32-bit visual with an alpha channel and a colormap for it, for windows
// whose transparent pixels a compositing manager blends with the screen.
struct ArgbVisual {
  Visual* visual = nullptr;
  Colormap colormap = 0;
  explicit operator bool() const { return visual != nullptr; }
};
// Finds the visual and makes its colormap; empty when the screen has none.
// The caller frees the colormap.
ArgbVisual FindArgbVisual(Display* display, int screen);

class TextWindow {
 public:
  // Paints text with the font's first cell's top-left corner at (x, y) on
  // the screen and maps the window above every other. With an ARGB visual
  // the glyphs keep their smooth edges over whatever lies beneath (this
  // takes a compositing manager); without, they are solid colour cut out by
  // the shape. window() is 0 when nothing would show: empty text, all of
  // it off the screen, or a server that cannot shape windows.
  TextWindow(Display* display, int screen, XftFont* font, const FontRequest& request, int x, int y, Colour colour,
             std::string_view text, const ArgbVisual& argb);
  ~TextWindow();
  TextWindow(const TextWindow&) = delete;
  TextWindow& operator=(const TextWindow&) = delete;

  Window window() const { return window_; }

 private:
  Display* display_;
  Window window_ = 0;
  bool ownsColour_ = false;
  XftColor colour_{};
  int screen_;
};

}  // namespace lumio::x11
