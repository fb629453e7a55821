// FL_INTERNALS opens FLTK's Fl_X, needed to create the X window ourselves:
// FLTK would map its X window the moment it creates it, before our hints
// were there for a window manager to read.
#define FL_INTERNALS 1

#include "platform/linux/x11/main_window_x11.h"

#include <FL/Fl.H>
#include <FL/x.H>
#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <chrono>
#include <iterator>
#include <string>
#include <vector>

#include "platform/linux/x11/frame_extents.h"
#include "platform/linux/x11/monitors_x11.h"
#include "platform/linux/x11/window_icon_pixels.h"

namespace lumio::x11 {

namespace {

// The Motif hints: move and close only (no minimise, maximise or resize),
// border, title and window menu.
constexpr long kMwmHintsFunctions = 1L << 0;
constexpr long kMwmHintsDecorations = 1L << 1;
constexpr long kMwmFuncMove = 1L << 2;
constexpr long kMwmFuncClose = 1L << 5;
constexpr long kMwmDecorBorder = 1L << 1;
constexpr long kMwmDecorTitle = 1L << 3;
constexpr long kMwmDecorMenu = 1L << 4;

// What FLTK selects on its own top-level windows.
constexpr long kEventMask = ExposureMask | StructureNotifyMask | KeyPressMask | KeyReleaseMask | KeymapStateMask |
                            FocusChangeMask | ButtonPressMask | ButtonReleaseMask | EnterWindowMask |
                            LeaveWindowMask | PropertyChangeMask | PointerMotionMask;

}  // namespace

MainWindow::MainWindow(Display* display, int width, int height, std::string_view caption, Fl_Color colour)
    : Fl_Window(0, 0, width, height), display_(display) {
  copy_label(std::string(caption).c_str());
  color(colour);
  auto* clientArea = new Fl_Window(0, 0, width, height);
  clientArea->color(colour);
}

void MainWindow::open() {
  Fl_Group* clientArea = child(0)->as_group();
  clientArea->end();
  clientArea->resizable(nullptr);
  end();
  resizable(nullptr);
  size_range(w(), h(), w(), h());
  const ScreenArea screen = PrimaryMonitor(display_);
  const Position unframed = CentredClientPosition(screen, w(), h(), {});
  position(unframed.x, unframed.y);
  createUnmapped();
  // Centred with the frame the user sees around it, once the window
  // manager has said how thick that is.
  const FrameExtents frame = RequestFrameExtents(display_, fl_xid(this), std::chrono::milliseconds(500));
  const Position framed = CentredClientPosition(screen, w(), h(), frame);
  if (framed.x != unframed.x || framed.y != unframed.y) {
    position(framed.x, framed.y);
    setNormalHints();
  }
}

void MainWindow::createUnmapped() {
  Fl_Group::current(nullptr);
  labeltype(FL_NO_LABEL);
  XSetWindowAttributes attributes{};
  attributes.event_mask = kEventMask;
  attributes.colormap = fl_colormap;
  attributes.border_pixel = 0;
  attributes.bit_gravity = ForgetGravity;
  attributes.background_pixel = fl_xpixel(color());
  const unsigned long mask = CWBorderPixel | CWColormap | CWEventMask | CWBitGravity | CWBackPixel;
  const Window xid = XCreateWindow(display_, RootWindow(display_, fl_screen), x(), y(), static_cast<unsigned>(w()),
                                   static_cast<unsigned>(h()), 0, fl_visual->depth, InputOutput, fl_visual->visual,
                                   mask, &attributes);
  Fl_X::set_xid(this, xid);
  label(label(), iconlabel());  // the title properties, now that there is a window to hold them

  Atom deleteWindow = XInternAtom(display_, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(display_, xid, &deleteWindow, 1);

  setNormalHints();

  const Atom motif = XInternAtom(display_, "_MOTIF_WM_HINTS", False);
  const long motifHints[5] = {kMwmHintsFunctions | kMwmHintsDecorations, kMwmFuncMove | kMwmFuncClose,
                              kMwmDecorBorder | kMwmDecorTitle | kMwmDecorMenu, 0, 0};
  XChangeProperty(display_, xid, motif, motif, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(motifHints),
                  5);

  const Atom state = XInternAtom(display_, "_NET_WM_STATE", False);
  const Atom skipTaskbar = XInternAtom(display_, "_NET_WM_STATE_SKIP_TASKBAR", False);
  XChangeProperty(display_, xid, state, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&skipTaskbar), 1);

  char name[] = "lumio-capslock";
  char className[] = "Lumio-capslock";
  XClassHint classHint{name, className};
  XSetClassHint(display_, xid, &classHint);

  XWMHints* wmHints = XAllocWMHints();
  wmHints->flags = InputHint | StateHint;
  wmHints->input = True;
  wmHints->initial_state = NormalState;
  XSetWMHints(display_, xid, wmHints);
  XFree(wmHints);

  // Our icon, for window managers, task bars and alt-tab. Xlib passes
  // 32-bit property items as longs.
  const std::vector<unsigned long> icon(std::begin(kWindowIconPixels), std::end(kWindowIconPixels));
  XChangeProperty(display_, xid, XInternAtom(display_, "_NET_WM_ICON", False), XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(icon.data()), static_cast<int>(icon.size()));
  XFlush(display_);
}

// Our place and fixed size. Static gravity: the place is the window's own,
// not its frame's, so a window manager that starts or takes over later
// frames the window where it already is.
void MainWindow::setNormalHints() {
  XSizeHints* size = XAllocSizeHints();
  size->flags = PPosition | USPosition | PMinSize | PMaxSize | PWinGravity;
  size->x = x();
  size->y = y();
  size->min_width = size->max_width = w();
  size->min_height = size->max_height = h();
  size->win_gravity = StaticGravity;
  XSetWMNormalHints(display_, fl_xid(this), size);
  XFree(size);
}

void MainWindow::present() {
  if (!shown()) return;
  XMapWindow(display_, fl_xid(this));
  set_visible();
  const int previous = Fl::e_number;
  handle(Fl::e_number = FL_SHOW);
  Fl::e_number = previous;
  redraw();
  XFlush(display_);
}

}  // namespace lumio::x11
