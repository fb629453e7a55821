#include "platform/x11/screen_surface_x11.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "platform/x11/colours.h"
#include "platform/x11/text_rules.h"
#include "platform/x11/x11_display.h"

namespace lumio::x11 {

namespace {

XftFont* OpenAtPixelSize(Display* display, int screen, const FontRequest& request, double pixelSize) {
  FcPattern* pattern = FcPatternCreate();
  if (pattern == nullptr) return nullptr;
  const std::string face = request.faceName;
  if (!face.empty())
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(face.c_str()));
  // The Windows face names are seldom installed: the generic family after
  // them keeps fontconfig's fallback of the right kind.
  const char* generic = FamilyOfFace(face) == FontFamily::Serif ? "serif" : "sans-serif";
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(generic));
  FcPatternAddDouble(pattern, FC_PIXEL_SIZE, pixelSize);
  FcPatternAddInteger(pattern, FC_WEIGHT, FontconfigWeight(request.weight));
  FcPatternAddInteger(pattern, FC_SLANT, request.italic != 0 ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);

  FcResult result = FcResultNoMatch;
  FcPattern* match = XftFontMatch(display, screen, pattern, &result);
  FcPatternDestroy(pattern);
  if (match == nullptr) return nullptr;
  XftFont* font = XftFontOpenPattern(display, match);  // owns the match from here on
  if (font == nullptr) FcPatternDestroy(match);
  return font;
}

// Every window of the tree below parent, depth first.
void CollectWindows(Display* display, Window parent, std::vector<Window>& out) {
  Window root = 0, up = 0, *children = nullptr;
  unsigned count = 0;
  if (XQueryTree(display, parent, &root, &up, &children, &count) == 0) return;
  const std::vector<Window> level(children, children + count);
  if (children != nullptr) XFree(children);
  for (Window child : level) {
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

void X11ScreenSurface::drawText(const FontRequest& request, std::int32_t x, std::int32_t y, Colour colour,
                                std::string_view text) {
  if (display_ == nullptr) return;
  const int screen = DefaultScreen(display_);
  XftFont* font = OpenRequestedFont(display_, screen, request);
  if (font == nullptr) return;

  const Window root = RootWindow(display_, screen);
  XftDraw* draw = XftDrawCreate(display_, root, DefaultVisual(display_, screen), DefaultColormap(display_, screen));
  if (draw == nullptr) {
    XftFontClose(display_, font);
    return;
  }
  // Drawing on the root window alone would stop at every window on it.
  XftDrawSetSubwindowMode(draw, IncludeInferiors);

  const Rgb rgb = ResolveColour(colour);
  XRenderColor render{static_cast<unsigned short>(rgb.r * 257), static_cast<unsigned short>(rgb.g * 257),
                      static_cast<unsigned short>(rgb.b * 257), 0xFFFF};
  XftColor xftColour{};
  if (XftColorAllocValue(display_, DefaultVisual(display_, screen), DefaultColormap(display_, screen), &render,
                         &xftColour)) {
    const std::string utf8 = TextAsUtf8(text);
    const auto* bytes = reinterpret_cast<const FcChar8*>(utf8.data());
    const int length = static_cast<int>(utf8.size());
    const int baseline = y + font->ascent;
    XftDrawStringUtf8(draw, &xftColour, font, x, baseline, bytes, length);

    if (request.underline != 0 || request.strikeOut != 0) {
      XGlyphInfo extents{};
      XftTextExtentsUtf8(display_, font, bytes, length, &extents);
      const auto width = static_cast<unsigned>(std::max<int>(extents.xOff, 0));
      const int cell = font->ascent + font->descent;
      const auto thickness = static_cast<unsigned>(std::max(1, static_cast<int>(std::lround(cell / 20.0))));
      if (request.underline != 0) {
        const int top = baseline + std::max(1, font->descent / 3);
        XftDrawRect(draw, &xftColour, x, top, width, thickness);
      }
      if (request.strikeOut != 0) {
        const int top = baseline - font->ascent / 3;
        XftDrawRect(draw, &xftColour, x, top, width, thickness);
      }
    }
    XftColorFree(display_, DefaultVisual(display_, screen), DefaultColormap(display_, screen), &xftColour);
  }
  XftDrawDestroy(draw);
  XftFontClose(display_, font);
  XFlush(display_);
}

void X11ScreenSurface::repaintAll() {
  if (display_ == nullptr) return;
  const Window root = DefaultRootWindow(display_);
  // Input-only windows refuse to be cleared and any window may go away
  // while we walk the tree; neither matters here.
  XErrorTrap trap(display_);
  std::vector<Window> windows{root};
  CollectWindows(display_, root, windows);
  // Exposures=True: each window gets an Expose and draws its own content
  // again, over whatever text of ours was on it.
  for (Window window : windows) XClearArea(display_, window, 0, 0, 0, 0, True);
}

}  // namespace lumio::x11
