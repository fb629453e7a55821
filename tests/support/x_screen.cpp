#include "support/x_screen.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <stdexcept>
#include <thread>

namespace lumio::testing {

std::string TitleOf(Display* dpy, ::Window window) {
  const Atom netName = XInternAtom(dpy, "_NET_WM_NAME", False);
  const Atom utf8 = XInternAtom(dpy, "UTF8_STRING", False);
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(dpy, window, netName, 0, 1024, False, utf8, &type, &format, &count, &after, &data) ==
          Success &&
      data != nullptr) {
    std::string title(reinterpret_cast<char*>(data), count);
    XFree(data);
    if (!title.empty()) return title;
  }
  char* name = nullptr;
  if (XFetchName(dpy, window, &name) != 0 && name != nullptr) {
    std::string title = name;
    XFree(name);
    return title;
  }
  return {};
}

std::vector<::Window> ChildrenOf(Display* dpy, ::Window window) {
  ::Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  if (XQueryTree(dpy, window, &root, &parent, &children, &count) == 0) return {};
  std::vector<::Window> result(children, children + count);
  if (children != nullptr) XFree(children);
  return result;
}

std::vector<unsigned long> PropertyOf(Display* dpy, ::Window window, const char* name, long most) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::vector<unsigned long> items;
  if (XGetWindowProperty(dpy, window, XInternAtom(dpy, name, False), 0, most, False, AnyPropertyType, &type, &format,
                         &count, &after, &data) == Success &&
      data != nullptr) {
    if (format == 32)  // sign-extended into the longs: the 32 bits are the item
      for (unsigned long i = 0; i < count; ++i)
        items.push_back(reinterpret_cast<unsigned long*>(data)[i] & 0xFFFFFFFFul);
    XFree(data);
  }
  return items;
}

void SendDeleteWindow(const XScreen& screen, ::Window window) {
  Display* dpy = screen.display();
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(dpy, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(dpy, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(dpy, window, False, NoEventMask, &event);
  XSync(dpy, False);
}

bool IsOverlayGreen(Rgb c) { return c.g >= 200 && c.r <= 60 && c.b <= 60; }

GreenArea FindGreen(const ScreenImage& image) {
  GreenArea area;
  area.rowCounts.assign(static_cast<std::size_t>(image.height), 0);
  for (int py = 0; py < image.height; ++py)
    for (int px = 0; px < image.width; ++px) {
      if (!IsOverlayGreen(image.at(px, py))) continue;
      const int sx = image.x + px, sy = image.y + py;
      if (area.count == 0) {
        area.left = area.right = sx;
        area.top = area.bottom = sy;
      }
      ++area.count;
      ++area.rowCounts[static_cast<std::size_t>(py)];
      area.left = std::min(area.left, sx);
      area.right = std::max(area.right, sx);
      area.top = std::min(area.top, sy);
      area.bottom = std::max(area.bottom, sy);
    }
  return area;
}

GreenArea GrabGreen(const XScreen& screen, int x, int y, int width, int height) {
  return FindGreen(screen.grab(x, y, width, height));
}

std::optional<int> FirstGreenRow(const GreenArea& area, int imageTop, int from, int to) {
  for (int y = from; y < to; ++y) {
    const int row = y - imageTop;
    if (row < 0 || row >= static_cast<int>(area.rowCounts.size())) continue;
    if (area.rowCounts[static_cast<std::size_t>(row)] > 0) return y;
  }
  return std::nullopt;
}

namespace {

void CollectTitled(const XScreen& screen, ::Window window, const std::string& title, int depth,
                   std::vector<::Window>& found) {
  for (::Window child : ChildrenOf(screen.display(), window)) {
    if (TitleOf(screen.display(), child) == title) {
      if (screen.isViewable(child)) found.push_back(child);
    } else if (depth < 5) {
      CollectTitled(screen, child, title, depth + 1, found);
    }
  }
}

}  // namespace

std::vector<::Window> ViewableWindowsTitled(const XScreen& screen, const std::string& title) {
  std::vector<::Window> found;
  CollectTitled(screen, screen.root(), title, 1, found);
  return found;
}

XScreen::XScreen() {
  // Windows of other processes come and go while a test walks the tree; a
  // window that vanished under a query is no reason to end the test run.
  XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  dpy_ = XOpenDisplay(nullptr);
  if (dpy_ == nullptr)
    throw std::runtime_error("cannot open the X display (is DISPLAY set? run the tests through scripts/test.sh)");
}

XScreen::~XScreen() {
  if (dpy_ != nullptr) XCloseDisplay(dpy_);
}

::Window XScreen::root() const { return DefaultRootWindow(dpy_); }
int XScreen::width() const { return DisplayWidth(dpy_, DefaultScreen(dpy_)); }
int XScreen::height() const { return DisplayHeight(dpy_, DefaultScreen(dpy_)); }

void XScreen::sync() const { XSync(dpy_, False); }

ScreenImage XScreen::grab(int x, int y, int w, int h) const {
  ScreenImage image{x, y, w, h, {}};
  XImage* xi = XGetImage(dpy_, root(), x, y, static_cast<unsigned>(w), static_cast<unsigned>(h), AllPlanes, ZPixmap);
  if (xi == nullptr) throw std::runtime_error("XGetImage failed");
  image.pixels.reserve(static_cast<std::size_t>(w * h));
  for (int py = 0; py < h; ++py)
    for (int px = 0; px < w; ++px) {
      const unsigned long p = XGetPixel(xi, px, py);
      image.pixels.push_back({static_cast<int>((p & xi->red_mask) >> 16), static_cast<int>((p & xi->green_mask) >> 8),
                              static_cast<int>(p & xi->blue_mask)});
    }
  XDestroyImage(xi);
  return image;
}

int XScreen::countGreen(int x, int y, int w, int h) const { return GrabGreen(*this, x, y, w, h).count; }

::Window XScreen::createWindow(int x, int y, int w, int h, std::uint32_t rgb, bool desktopType,
                               const std::string& title) {
  XSetWindowAttributes attrs{};
  attrs.background_pixel = rgb;  // 24-bit TrueColor: 0xRRGGBB is the pixel value
  attrs.event_mask = StructureNotifyMask | ExposureMask;
  const ::Window window = XCreateWindow(dpy_, root(), x, y, static_cast<unsigned>(w), static_cast<unsigned>(h), 0,
                                        CopyFromParent, InputOutput, CopyFromParent, CWBackPixel | CWEventMask, &attrs);
  XStoreName(dpy_, window, title.c_str());
  if (desktopType) {
    const Atom type = XInternAtom(dpy_, "_NET_WM_WINDOW_TYPE", False);
    const Atom desktop = XInternAtom(dpy_, "_NET_WM_WINDOW_TYPE_DESKTOP", False);
    XChangeProperty(dpy_, window, type, XA_ATOM, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(&desktop), 1);
  }
  XMapWindow(dpy_, window);
  XSync(dpy_, False);
  WaitUntil([&] { return isViewable(window); }, std::chrono::seconds(5));
  return window;
}

void XScreen::destroyWindow(::Window window) {
  XDestroyWindow(dpy_, window);
  XSync(dpy_, False);
}

bool XScreen::isViewable(::Window window) const {
  XWindowAttributes attrs{};
  if (XGetWindowAttributes(dpy_, window, &attrs) == 0) return false;
  return attrs.map_state == IsViewable;
}

void XScreen::setFocus(::Window window) {
  XSetInputFocus(dpy_, window, RevertToParent, CurrentTime);
  XSync(dpy_, False);
}

void XScreen::pressKey(unsigned long keysym) {
  XTestFakeKeyEvent(dpy_, XKeysymToKeycode(dpy_, keysym), True, CurrentTime);
  XSync(dpy_, False);
}

void XScreen::releaseKey(unsigned long keysym) {
  XTestFakeKeyEvent(dpy_, XKeysymToKeycode(dpy_, keysym), False, CurrentTime);
  XSync(dpy_, False);
}

void XScreen::tapKey(unsigned long keysym) {
  pressKey(keysym);
  std::this_thread::sleep_for(std::chrono::milliseconds(60));
  releaseKey(keysym);
}

bool XScreen::capsLockOn() const {
  Bool on = False;
  XkbGetNamedIndicator(dpy_, XInternAtom(dpy_, "Caps Lock", False), nullptr, &on, nullptr, nullptr);
  return on != False;
}

}  // namespace lumio::testing
