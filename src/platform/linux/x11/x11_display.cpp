#include "platform/linux/x11/x11_display.h"

#include <FL/x.H>
#include <X11/Xresource.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "platform/linux/x11/text_rules.h"

namespace lumio::x11 {

namespace {

// A stray error (a window of another program gone between two requests)
// is worth a line on stderr, not the end of the program as with Xlib's
// default handler.
int ReportXError(Display* display, XErrorEvent* event) {
  char text[160] = {};
  XGetErrorText(display, event->error_code, text, sizeof text);
  std::fprintf(stderr, "lumio-capslock: X error: %s (request %d, resource 0x%lx)\n", text,
               static_cast<int>(event->request_code), event->resourceid);
  return 0;
}

}  // namespace

Display* SharedDisplay() {
  // FLTK keeps the connection in its own fl_display; once it is open that is
  // the one everybody uses.
  if (fl_display != nullptr) return fl_display;
  // What FLTK would do when opening the display itself, except that a
  // missing display is ours to report, not a fatal error.
  std::setlocale(LC_CTYPE, "");
  XSetLocaleModifiers("");
  XSetErrorHandler(ReportXError);
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return nullptr;
  fl_open_display(display);
  return display;
}

int ScreenDpi(Display* display) {
  std::optional<double> xftDpi;
  if (const char* resources = XResourceManagerString(display); resources != nullptr) {
    XrmInitialize();
    if (XrmDatabase db = XrmGetStringDatabase(resources); db != nullptr) {
      char* type = nullptr;
      XrmValue value{};
      if (XrmGetResource(db, "Xft.dpi", "Xft.Dpi", &type, &value) == True && value.addr != nullptr) {
        char* end = nullptr;
        const double dpi = std::strtod(value.addr, &end);
        if (end != value.addr) xftDpi = dpi;
      }
      XrmDestroyDatabase(db);
    }
  }
  const int screen = DefaultScreen(display);
  return DpiFrom(xftDpi, DisplayWidth(display, screen), DisplayWidthMM(display, screen));
}

namespace {
int IgnoreError(Display*, XErrorEvent*) { return 0; }
}  // namespace

XErrorTrap::XErrorTrap(Display* display) : display_(display) {
  XSync(display_, False);  // errors of earlier requests still go to the usual handler
  previous_ = XSetErrorHandler(IgnoreError);
}

XErrorTrap::~XErrorTrap() {
  XSync(display_, False);
  XSetErrorHandler(previous_);
}

}  // namespace lumio::x11
