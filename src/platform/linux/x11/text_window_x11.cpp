#include "platform/linux/x11/text_window_x11.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrender.h>
#include <X11/extensions/shape.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/linux/x11/colours.h"
#include "platform/linux/x11/text_rules.h"

namespace lumio::x11 {

namespace {

struct Box {
  int left, top, right, bottom;  // right and bottom exclusive
  int width() const { return right - left; }
  int height() const { return bottom - top; }
};

// Glyph coverage, one byte a pixel, of the text drawn into a box of the
// given size with the cell's top-left corner at (originX, originY), its
// lines lineWidth long. Drawn by the server into an alpha-only pixmap and
// read back.
std::vector<unsigned char> Coverage(Display* display, Window root, XftFont* font, const std::string& utf8,
                                    const std::vector<TextLine>& lines, int lineWidth, int originX, int originY,
                                    int width, int height) {
  std::vector<unsigned char> coverage;
  const Pixmap pixmap = XCreatePixmap(display, root, static_cast<unsigned>(width), static_cast<unsigned>(height), 8);
  const GC gc = XCreateGC(display, pixmap, 0, nullptr);
  XSetForeground(display, gc, 0);
  XFillRectangle(display, pixmap, gc, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height));
  XFreeGC(display, gc);

  if (XftDraw* draw = XftDrawCreateAlpha(display, pixmap, 8); draw != nullptr) {
    XftColor opaque{};
    opaque.pixel = 0xFF;
    opaque.color = XRenderColor{0, 0, 0, 0xFFFF};
    XftDrawStringUtf8(draw, &opaque, font, originX, originY + font->ascent,
                      reinterpret_cast<const FcChar8*>(utf8.data()), static_cast<int>(utf8.size()));
    for (const TextLine& line : lines)
      XftDrawRect(draw, &opaque, originX, originY + line.top, static_cast<unsigned>(lineWidth),
                  static_cast<unsigned>(line.thickness));
    XftDrawDestroy(draw);
    if (XImage* image = XGetImage(display, pixmap, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height),
                                  AllPlanes, ZPixmap);
        image != nullptr) {
      coverage.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
      for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
          coverage[static_cast<std::size_t>(y * width + x)] = static_cast<unsigned char>(XGetPixel(image, x, y) & 0xFF);
      XDestroyImage(image);
    }
  }
  XFreePixmap(display, pixmap);
  return coverage;
}

// The window's shape: every pixel with at least `threshold` coverage.
Pixmap ShapeMask(Display* display, Window root, const std::vector<unsigned char>& coverage, int width, int height,
                 unsigned char threshold) {
  const int stride = (width + 7) / 8;
  std::vector<char> bits(static_cast<std::size_t>(stride) * static_cast<std::size_t>(height), 0);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (coverage[static_cast<std::size_t>(y * width + x)] >= threshold)
        bits[static_cast<std::size_t>(y * stride + x / 8)] |= static_cast<char>(1 << (x % 8));
  return XCreateBitmapFromData(display, root, bits.data(), static_cast<unsigned>(width), static_cast<unsigned>(height));
}

unsigned long Channel(unsigned value, unsigned long mask) {
  // value 0..255 placed into the visual's channel mask.
  if (mask == 0) return 0;
  int shift = 0;
  while (((mask >> shift) & 1UL) == 0) ++shift;
  const unsigned long max = mask >> shift;
  return ((value * max + 127) / 255) << shift;
}

// The text's picture for an ARGB window: the colour, premultiplied by
// the glyph coverage, transparent everywhere else.
Pixmap ArgbPicture(Display* display, Window root, Visual* visual, const std::vector<unsigned char>& coverage,
                   int width, int height, Rgb rgb) {
  XRenderPictFormat* format = XRenderFindVisualFormat(display, visual);
  if (format == nullptr) return 0;
  const auto mask = [](short m, short shift) { return static_cast<unsigned long>(m) << shift; };
  const unsigned long alphaMask = mask(format->direct.alphaMask, format->direct.alpha);
  auto* data = static_cast<char*>(std::malloc(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4));
  if (data == nullptr) return 0;
  XImage* image = XCreateImage(display, visual, 32, ZPixmap, 0, data, static_cast<unsigned>(width),
                               static_cast<unsigned>(height), 32, 0);
  if (image == nullptr) {
    std::free(data);
    return 0;
  }
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const unsigned a = coverage[static_cast<std::size_t>(y * width + x)];
      const auto premultiplied = [a](int c) { return (static_cast<unsigned>(c) * a + 127) / 255; };
      XPutPixel(image, x, y,
                Channel(a, alphaMask) | Channel(premultiplied(rgb.r), visual->red_mask) |
                    Channel(premultiplied(rgb.g), visual->green_mask) |
                    Channel(premultiplied(rgb.b), visual->blue_mask));
    }
  const Pixmap pixmap = XCreatePixmap(display, root, static_cast<unsigned>(width), static_cast<unsigned>(height), 32);
  const GC gc = XCreateGC(display, pixmap, 0, nullptr);
  XPutImage(display, pixmap, gc, image, 0, 0, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height));
  XFreeGC(display, gc);
  XDestroyImage(image);  // frees data too
  return pixmap;
}

// Names and types that let a compositing manager's rules find our windows
// (to leave them without shadows, say) and keep them out of any list.
void DescribeWindow(Display* display, Window window) {
  char name[] = "lumio-capslock";
  char className[] = "Lumio-capslock";
  XClassHint classHint{name, className};
  XSetClassHint(display, window, &classHint);
  const Atom type = XInternAtom(display, "_NET_WM_WINDOW_TYPE", False);
  const Atom notification = XInternAtom(display, "_NET_WM_WINDOW_TYPE_NOTIFICATION", False);
  XChangeProperty(display, window, type, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&notification), 1);
}

}  // namespace

bool CompositorRunning(Display* display, int screen) {
  const std::string name = "_NET_WM_CM_S" + std::to_string(screen);
  const Atom selection = XInternAtom(display, name.c_str(), False);
  return XGetSelectionOwner(display, selection) != None;
}

ArgbVisual FindArgbVisual(Display* display, int screen) {
  XVisualInfo wanted{};
  wanted.screen = screen;
  wanted.depth = 32;
  wanted.c_class = TrueColor;
  int count = 0;
  XVisualInfo* found =
      XGetVisualInfo(display, VisualScreenMask | VisualDepthMask | VisualClassMask, &wanted, &count);
  ArgbVisual result;
  for (int i = 0; i < count && result.visual == nullptr; ++i) {
    const XRenderPictFormat* format = XRenderFindVisualFormat(display, found[i].visual);
    if (format != nullptr && format->type == PictTypeDirect && format->direct.alphaMask != 0)
      result.visual = found[i].visual;
  }
  if (found != nullptr) XFree(found);
  if (result.visual != nullptr)
    result.colormap = XCreateColormap(display, RootWindow(display, screen), result.visual, AllocNone);
  return result;
}

TextWindow::TextWindow(Display* display, int screen, XftFont* font, const FontRequest& request, int x, int y,
                       Colour colour, std::string_view text, const ArgbVisual& argb)
    : display_(display), screen_(screen) {
  int shapeEvent = 0, shapeError = 0;
  if (text.empty() || XShapeQueryExtension(display_, &shapeEvent, &shapeError) == 0) return;
  const std::string utf8 = TextAsUtf8(text);
  XGlyphInfo extents{};
  XftTextExtentsUtf8(display_, font, reinterpret_cast<const FcChar8*>(utf8.data()), static_cast<int>(utf8.size()),
                     &extents);
  const std::vector<TextLine> lines =
      TextLines(request.underline != 0, request.strikeOut != 0, font->ascent, font->descent);

  // Everything the glyphs and lines may touch, relative to the cell's
  // corner, with a pixel to spare, cut to the screen.
  const int cell = font->ascent + font->descent;
  const int inkLeft = -extents.x, inkTop = font->ascent - extents.y;
  Box ink{std::min(0, inkLeft), std::min(0, inkTop), std::max(static_cast<int>(extents.xOff), inkLeft + extents.width),
          std::max(cell, inkTop + extents.height)};
  for (const TextLine& line : lines) ink.bottom = std::max(ink.bottom, line.top + line.thickness);
  // In 64 bits: the position may be anywhere a 32-bit integer reaches.
  const auto clamp = [](long long value, int limit) {
    return static_cast<int>(std::clamp<long long>(value, 0, limit));
  };
  const int screenW = DisplayWidth(display_, screen_), screenH = DisplayHeight(display_, screen_);
  Box box{clamp(0LL + x + ink.left - 1, screenW), clamp(0LL + y + ink.top - 1, screenH),
          clamp(0LL + x + ink.right + 1, screenW), clamp(0LL + y + ink.bottom + 1, screenH)};
  if (box.width() <= 0 || box.height() <= 0) return;

  const Window root = RootWindow(display_, screen_);
  const std::vector<unsigned char> coverage =
      Coverage(display_, root, font, utf8, lines, std::max<int>(extents.xOff, 0), x - box.left, y - box.top,
               box.width(), box.height());
  if (std::none_of(coverage.begin(), coverage.end(), [](unsigned char c) { return c != 0; })) return;

  const Rgb rgb = ResolveColour(colour);
  XSetWindowAttributes attributes{};
  attributes.override_redirect = True;
  attributes.border_pixel = 0;
  unsigned long mask = CWOverrideRedirect | CWBorderPixel;
  Visual* visual = DefaultVisual(display_, screen_);
  int depth = DefaultDepth(display_, screen_);
  Pixmap picture = 0;
  if (argb) picture = ArgbPicture(display_, root, argb.visual, coverage, box.width(), box.height(), rgb);
  if (picture != 0) {
    visual = argb.visual;
    depth = 32;
    attributes.colormap = argb.colormap;
    attributes.background_pixmap = picture;
    mask |= CWColormap | CWBackPixmap;
  } else {
    XRenderColor render{static_cast<unsigned short>(rgb.r * 257), static_cast<unsigned short>(rgb.g * 257),
                        static_cast<unsigned short>(rgb.b * 257), 0xFFFF};
    ownsColour_ = XftColorAllocValue(display_, visual, DefaultColormap(display_, screen_), &render, &colour_) != 0;
    attributes.background_pixel = colour_.pixel;
    mask |= CWBackPixel;
  }
  window_ = XCreateWindow(display_, root, box.left, box.top, static_cast<unsigned>(box.width()),
                          static_cast<unsigned>(box.height()), 0, depth, InputOutput, visual, mask, &attributes);
  if (picture != 0) XFreePixmap(display_, picture);  // the window keeps it as its background

  // With an alpha channel every touched pixel belongs to the window (its
  // edge blends with the screen); solid colour keeps only the pixels that
  // are more glyph than not.
  const Pixmap shape = ShapeMask(display_, root, coverage, box.width(), box.height(), picture != 0 ? 1 : 128);
  XShapeCombineMask(display_, window_, ShapeBounding, 0, 0, shape, ShapeSet);
  XFreePixmap(display_, shape);
  // No input region: a click on the letters goes to the window beneath.
  XShapeCombineRectangles(display_, window_, ShapeInput, 0, 0, nullptr, 0, ShapeSet, Unsorted);
  DescribeWindow(display_, window_);
  XMapRaised(display_, window_);
}

TextWindow::~TextWindow() {
  if (window_ != 0) XDestroyWindow(display_, window_);
  if (ownsColour_)
    XftColorFree(display_, DefaultVisual(display_, screen_), DefaultColormap(display_, screen_), &colour_);
}

}  // namespace lumio::x11
