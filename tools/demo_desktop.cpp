// A stand-in desktop for the headless demo: a desktop-type window with a few
// icons, and an ordinary application window lying where the text will be
// painted. Both repaint themselves on Expose, as real windows do.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <cstring>

namespace {

void DrawDesktop(Display* dpy, Window w, GC gc) {
  const char* names[] = {"Documents", "Pictures", "Music", "Recycle Bin"};
  for (int i = 0; i < 4; ++i) {
    const int x = 30, y = 30 + i * 100;
    XSetForeground(dpy, gc, 0xF0F0F0);
    XFillRectangle(dpy, w, gc, x + 12, y, 48, 48);
    XSetForeground(dpy, gc, 0x1F4E79);
    XFillRectangle(dpy, w, gc, x + 18, y + 8, 36, 6);
    XSetForeground(dpy, gc, 0xFFFFFF);
    XDrawString(dpy, w, gc, x, y + 66, names[i], static_cast<int>(std::strlen(names[i])));
  }
}

void DrawApplication(Display* dpy, Window w, GC gc) {
  XSetForeground(dpy, gc, 0x2B579A);
  XFillRectangle(dpy, w, gc, 0, 0, 700, 28);
  XSetForeground(dpy, gc, 0xFFFFFF);
  XDrawString(dpy, w, gc, 10, 19, "Notes - shopping.txt", 20);
  XSetForeground(dpy, gc, 0x202020);
  const char* lines[] = {"milk", "bread", "coffee beans", "batteries for the keyboard"};
  for (int i = 0; i < 4; ++i) XDrawString(dpy, w, gc, 16, 60 + i * 22, lines[i], static_cast<int>(std::strlen(lines[i])));
}

}  // namespace

int main() {
  Display* dpy = XOpenDisplay(nullptr);
  if (dpy == nullptr) {
    std::fprintf(stderr, "lumio-demo-desktop: cannot open the display\n");
    return 1;
  }
  const int screen = DefaultScreen(dpy);
  const Window root = RootWindow(dpy, screen);
  XSetWindowAttributes attrs{};
  attrs.event_mask = ExposureMask;

  attrs.background_pixel = 0x3A6EA5;
  const Window desktop = XCreateWindow(dpy, root, 0, 0, static_cast<unsigned>(DisplayWidth(dpy, screen)),
                                       static_cast<unsigned>(DisplayHeight(dpy, screen)), 0, CopyFromParent,
                                       InputOutput, CopyFromParent, CWBackPixel | CWEventMask, &attrs);
  const Atom type = XInternAtom(dpy, "_NET_WM_WINDOW_TYPE", False);
  const Atom desktopType = XInternAtom(dpy, "_NET_WM_WINDOW_TYPE_DESKTOP", False);
  XChangeProperty(dpy, desktop, type, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&desktopType), 1);
  XStoreName(dpy, desktop, "Desktop");

  attrs.background_pixel = 0xFFFFFF;
  const Window app = XCreateWindow(dpy, root, 200, 250, 700, 300, 1, CopyFromParent, InputOutput, CopyFromParent,
                                   CWBackPixel | CWEventMask, &attrs);
  XStoreName(dpy, app, "Notes - shopping.txt");

  XMapWindow(dpy, desktop);
  XMapWindow(dpy, app);
  const GC gc = XCreateGC(dpy, root, 0, nullptr);
  for (;;) {
    XEvent event;
    XNextEvent(dpy, &event);
    if (event.type != Expose || event.xexpose.count != 0) continue;
    if (event.xexpose.window == desktop) DrawDesktop(dpy, desktop, gc);
    if (event.xexpose.window == app) DrawApplication(dpy, app, gc);
  }
}
