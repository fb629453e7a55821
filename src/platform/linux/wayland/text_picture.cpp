#include "platform/linux/wayland/text_picture.h"

#include <cairo-ft.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>

#include "platform/linux/os/font_pattern.h"
#include "platform/linux/wayland/shm_buffer.h"
#include "platform/linux/x11/colours.h"
#include "platform/linux/x11/text_rules.h"

namespace lumio::wayland {

namespace {

// The font fontconfig gives for the request at that size, as Xft asks for
// it; nullptr when there is none.
cairo_font_face_t* OpenFace(const FontRequest& request, double pixelSize) {
  FcPattern* pattern = os::FontRequestPattern(request, pixelSize);
  if (pattern == nullptr) return nullptr;
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (match == nullptr) return nullptr;
  cairo_font_face_t* face = cairo_ft_font_face_create_for_pattern(match);  // keeps a reference of its own
  FcPatternDestroy(match);
  if (cairo_font_face_status(face) == CAIRO_STATUS_SUCCESS) return face;
  cairo_font_face_destroy(face);
  return nullptr;
}

// Xft gives FreeType its sizes in whole 64ths of a pixel, cut down; cairo
// rounds them. Sizes cut down as Xft does give the same metrics, and so
// the same cell, as the X texts, even where the cell changes between the two.
double AsXftSize(double pixelSize) { return std::floor(pixelSize * 64) / 64; }

// A context on a surface of one pixel, for measuring.
struct Measuring {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
  cairo_t* cr = cairo_create(surface);
  ~Measuring() {
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
  }
};

void UseFont(cairo_t* cr, cairo_font_face_t* face, double pixelSize, const cairo_font_options_t* options) {
  cairo_set_font_face(cr, face);
  cairo_set_font_size(cr, AsXftSize(pixelSize));
  cairo_set_font_options(cr, options);
}

}  // namespace

TextPicture::TextPicture(const FontRequest& request, std::string_view text)
    : utf8_(x11::TextAsUtf8(text)), options_(cairo_font_options_create()) {
  // Grey smoothing, as the X windows' alpha, and whole-pixel metrics, as
  // Xft's: the same cell and advances as the X texts.
  cairo_font_options_set_antialias(options_, CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_metrics(options_, CAIRO_HINT_METRICS_ON);
  if (utf8_.empty()) return;

  Measuring measuring;
  const auto extentsAt = [&](cairo_font_face_t* face, double size) {
    UseFont(measuring.cr, face, size, options_);
    cairo_font_extents_t extents{};
    cairo_font_extents(measuring.cr, &extents);
    return extents;
  };
  const x11::FontSizing sizing = x11::SizingFor(request.height);
  pixelSize_ = sizing.pixelSize;
  if (sizing.cellHeight > 0) {
    pixelSize_ = x11::PixelSizeForCell(sizing.cellHeight, pixelSize_, [&](double size) {
      cairo_font_face_t* face = OpenFace(request, size);
      if (face == nullptr) return 0;
      const cairo_font_extents_t extents = extentsAt(face, size);
      cairo_font_face_destroy(face);
      return static_cast<int>(std::lround(extents.ascent + extents.descent));
    });
  }
  face_ = OpenFace(request, pixelSize_);
  if (face_ == nullptr) return;
  const cairo_font_extents_t font = extentsAt(face_, pixelSize_);
  ascent_ = std::round(font.ascent);
  cell_ = static_cast<int>(std::lround(font.ascent + font.descent));
  cairo_text_extents_t ink{};
  cairo_text_extents(measuring.cr, utf8_.c_str(), &ink);
  if (ink.width <= 0 || ink.height <= 0) return;

  const int inkLeft = static_cast<int>(std::floor(ink.x_bearing));
  const int inkTop = static_cast<int>(std::floor(ascent_ + ink.y_bearing));
  const int inkRight = static_cast<int>(std::ceil(ink.x_bearing + ink.width));
  int inkBottom = static_cast<int>(std::ceil(ascent_ + ink.y_bearing + ink.height));
  advance_ = static_cast<int>(std::ceil(ink.x_advance));
  const int ascent = static_cast<int>(ascent_);
  lines_ = x11::TextLines(request.underline != 0, request.strikeOut != 0, ascent, cell_ - ascent);
  for (const x11::TextLine& line : lines_) inkBottom = std::max(inkBottom, line.top + line.thickness);
  const int left = std::min(0, inkLeft), top = std::min(0, inkTop);
  box_ = {left, top, std::max(advance_, inkRight) + 1 - left, std::max(cell_, inkBottom) + 1 - top};
}

TextPicture::~TextPicture() {
  if (face_ != nullptr) cairo_font_face_destroy(face_);
  cairo_font_options_destroy(options_);
}

void TextPicture::paint(ShmBuffer& buffer, int scale, int cellX, int cellY, Colour colour) const {
  if (face_ == nullptr || buffer.pixels() == nullptr) return;
  cairo_surface_t* surface = cairo_image_surface_create_for_data(buffer.pixels(), CAIRO_FORMAT_ARGB32, buffer.width(),
                                                                 buffer.height(), buffer.stride());
  cairo_t* cr = cairo_create(surface);
  // Glyphs are hinted and smoothed at the buffer's own pixels.
  cairo_scale(cr, scale, scale);
  const x11::Rgb rgb = x11::ResolveColour(colour);
  cairo_set_source_rgb(cr, rgb.r / 255.0, rgb.g / 255.0, rgb.b / 255.0);
  UseFont(cr, face_, pixelSize_, options_);
  cairo_move_to(cr, cellX, cellY + ascent_);
  cairo_show_text(cr, utf8_.c_str());
  for (const x11::TextLine& line : lines_)
    cairo_rectangle(cr, cellX, cellY + line.top, std::max(advance_, 0), line.thickness);
  cairo_fill(cr);
  cairo_destroy(cr);
  cairo_surface_flush(surface);
  cairo_surface_destroy(surface);
}

}  // namespace lumio::wayland
