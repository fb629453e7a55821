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

std::vector<Window> ChildrenOf(Display* display, Window window) {
  Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  if (XQueryTree(display, window, &root, &parent, &children, &count) == 0) return {};
  std::vector<Window> result(children, children + count);
  if (children != nullptr) XFree(children);
  return result;
}

std::vector<unsigned long> PropertyItems(Display* display, Window window, const char* property, Atom type) {
  Atom actualType = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::vector<unsigned long> items;
  if (XGetWindowProperty(display, window, XInternAtom(display, property, False), 0, 4096, False, type, &actualType,
                         &format, &count, &after, &data) == Success &&
      data != nullptr) {
    if (format == 32 && actualType == type) {
      const auto* values = reinterpret_cast<const unsigned long*>(data);
      items.assign(values, values + count);
    }
    XFree(data);
  }
  return items;
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
