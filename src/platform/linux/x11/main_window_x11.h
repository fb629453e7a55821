// The main window as an X window: created unmapped with every hint a window
// manager reads already in place (fixed size, move and close only, no task
// bar entry, our class and icon), centred on the primary monitor with the
// frame the user sees around it.
#pragma once

#include <FL/Fl_Window.H>

#include <string_view>

#include <X11/Xlib.h>

namespace lumio::x11 {

class MainWindow final : public Fl_Window {
 public:
  // Starts the window and its client area, an FLTK group of exactly the
  // client size which X clips the children to: a window manager that makes
  // the window larger (a tiling one, or one with a minimum size) shows more
  // of the window's colour, never the children below the visible area.
  // The children are added to the group between this and open().
  MainWindow(Display* display, int width, int height, std::string_view caption, Fl_Color colour);

  // Ends the children and creates the X window, unmapped, where it belongs.
  void open();
  // Maps it: from now on it is what the user sees.
  void present();

 private:
  void createUnmapped();
  void setNormalHints();

  Display* display_;
};

}  // namespace lumio::x11
