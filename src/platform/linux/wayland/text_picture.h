// One text as the X windows show it (the same font, cell height, weight and
// lines), measured in the session's logical pixels and painted with cairo
// into a buffer at any scale, so that it stays sharp on a scaled output.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/linux/wayland/output_choice.h"
#include "platform/linux/x11/text_rules.h"
#include "seam/screen_surface.h"

typedef struct _cairo_font_face cairo_font_face_t;
typedef struct _cairo_font_options cairo_font_options_t;

namespace lumio::wayland {

class ShmBuffer;

class TextPicture {
 public:
  // Opens the font the request asks for, its cell as tall as the request's
  // height, and measures the text.
  TextPicture(const FontRequest& request, std::string_view text);
  ~TextPicture();
  TextPicture(const TextPicture&) = delete;
  TextPicture& operator=(const TextPicture&) = delete;

  // Everything the glyphs and lines may touch, relative to the first
  // cell's top-left corner, with a pixel to spare at the right and bottom.
  // Empty (width 0) when nothing would show: no font, or no ink.
  const Box& box() const { return box_; }

  // Paints the text into the buffer, which shows logical pixels at the
  // scale, with the first cell's top-left corner at (cellX, cellY).
  void paint(ShmBuffer& buffer, int scale, int cellX, int cellY, Colour colour) const;

 private:
  std::string utf8_;
  cairo_font_face_t* face_ = nullptr;
  cairo_font_options_t* options_ = nullptr;
  double pixelSize_ = 0;
  double ascent_ = 0;
  int cell_ = 0;
  int advance_ = 0;
  std::vector<x11::TextLine> lines_;
  Box box_;
};

}  // namespace lumio::wayland
