#include "platform/linux/x11/screen_surface_x11.h"

#include <FL/Fl.H>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

#include "platform/linux/os/font_pattern.h"
#include "platform/linux/x11/monitors_x11.h"
#include "platform/linux/x11/text_rules.h"
#include "platform/linux/x11/x11_display.h"

namespace lumio::x11 {

namespace {

XftFont* OpenAtPixelSize(Display* display, int screen, const FontRequest& request, double pixelSize) {
  FcPattern* pattern = os::FontRequestPattern(request, pixelSize);
  if (pattern == nullptr) return nullptr;
  FcResult result = FcResultNoMatch;
  FcPattern* match = XftFontMatch(display, screen, pattern, &result);
  FcPatternDestroy(pattern);
  if (match == nullptr) return nullptr;
  XftFont* font = XftFontOpenPattern(display, match);  // owns the match from here on
  if (font == nullptr) FcPatternDestroy(match);
  return font;
}

// A position on the screen as one on the root window, kept within int.
int OnRoot(int origin, std::int32_t position) {
  return static_cast<int>(std::clamp<long long>(0LL + origin + position, std::numeric_limits<int>::min(),
                                                std::numeric_limits<int>::max()));
}

// Every window of the tree below parent, depth first.
void CollectWindows(Display* display, Window parent, std::vector<Window>& out) {
  for (Window child : ChildrenOf(display, parent)) {
    out.push_back(child);
    CollectWindows(display, child, out);
  }
}

}  // namespace

XftFont* OpenRequestedFont(Display* display, int screen, const FontRequest& request) {
  const FontSizing sizing = SizingFor(request.height);
  double pixelSize = sizing.pixelSize;
  if (sizing.cellHeight > 0) {
    // Fonts just measured stay in Xft's cache: the final open is cheap.
    pixelSize = PixelSizeForCell(sizing.cellHeight, pixelSize, [&](double size) {
      XftFont* font = OpenAtPixelSize(display, screen, request, size);
      if (font == nullptr) return 0;
      const int cell = font->ascent + font->descent;
      XftFontClose(display, font);
      return cell;
    });
  }
  return OpenAtPixelSize(display, screen, request, pixelSize);
}

X11ScreenSurface::~X11ScreenSurface() {
  removeTexts();
  if (argb_.colormap != 0) XFreeColormap(display_, argb_.colormap);
  XFlush(display_);
}

void X11ScreenSurface::drawText(const FontRequest& request, std::int32_t x, std::int32_t y, Colour colour,
                                std::string_view text) {
  const int screen = DefaultScreen(display_);
  XftFont* font = OpenRequestedFont(display_, screen, request);
  if (font == nullptr) return;
  // Smooth edges need someone to blend them with the screen: a compositing
  // manager. Without one, solid letters cut out by the window's shape.
  ArgbVisual argb;
  if (CompositorRunning(display_, screen)) {
    if (!argbLookedUp_) argb_ = FindArgbVisual(display_, screen);
    argbLookedUp_ = true;
    argb = argb_;
  }
  // Positions count from the primary monitor's top-left corner, as they
  // count from the desktop's (0, 0) on Windows.
  const ScreenArea primary = PrimaryMonitor(display_);
  auto window = std::make_unique<TextWindow>(display_, screen, font, request, OnRoot(primary.x, x),
                                             OnRoot(primary.y, y), colour, text, argb);
  XftFontClose(display_, font);
  if (window->window() != 0) {
    texts_.push_back(std::move(window));
    watchStacking(true);
  }
  XFlush(display_);
}

void X11ScreenSurface::removeTexts() {
  watchStacking(false);
  texts_.clear();
}

void X11ScreenSurface::watchStacking(bool on) {
  if (on == watching_) return;
  const Window root = DefaultRootWindow(display_);
  XWindowAttributes attributes{};
  XGetWindowAttributes(display_, root, &attributes);
  if (on) {
    addedRootMask_ = (attributes.your_event_mask & SubstructureNotifyMask) == 0;
    if (addedRootMask_) XSelectInput(display_, root, attributes.your_event_mask | SubstructureNotifyMask);
    Fl::add_system_handler(OnXEvent, this);
  } else {
    Fl::remove_system_handler(OnXEvent);
    if (addedRootMask_) XSelectInput(display_, root, attributes.your_event_mask & ~SubstructureNotifyMask);
    addedRootMask_ = false;
  }
  watching_ = on;
}

int X11ScreenSurface::OnXEvent(void* event, void* data) {
  const auto& xevent = *static_cast<const XEvent*>(event);
  auto& self = *static_cast<X11ScreenSurface*>(data);
  if (xevent.xany.display != self.display_ || self.texts_.empty()) return 0;
  const Window root = DefaultRootWindow(self.display_);
  // Another top-level window mapped or restacked: it may now lie over our
  // texts. Only managed windows count: two programs that each put their
  // own unmanaged windows on top would otherwise raise theirs for ever.
  bool restacked = false;
  if (xevent.type == MapNotify && xevent.xmap.event == root)
    restacked = xevent.xmap.override_redirect == False;
  else if (xevent.type == ConfigureNotify && xevent.xconfigure.event == root)
    restacked = xevent.xconfigure.override_redirect == False;
  if (restacked) {
    for (const auto& text : self.texts_) XRaiseWindow(self.display_, text->window());  // oldest first
    XFlush(self.display_);
  }
  return 0;  // FLTK handles the event as usual
}

void X11ScreenSurface::repaintAll() {
  removeTexts();
  const Window root = DefaultRootWindow(display_);
  // Input-only windows refuse to be cleared and any window may go away
  // while we walk the tree; neither matters here.
  XErrorTrap trap(display_);
  std::vector<Window> windows{root};
  CollectWindows(display_, root, windows);
  // Exposures=True: each window gets an Expose and draws its own content
  // again, whatever anybody painted over it.
  for (Window window : windows) XClearArea(display_, window, 0, 0, 0, 0, True);
}

}  // namespace lumio::x11
