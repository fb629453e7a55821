// How a graphical key button looks: its back colour over the whole face, a
// button edge, its caption in its own font and, on three keys, a picture.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "seam/form_description.h"
#include "platform/win32/win32_api.h"
#include "seam/basic_types.h"

namespace lumio::win32 {

// &H00BBGGRR is a COLORREF already; &H800000nn is system colour nn now.
COLORREF ToColorRef(Colour colour);

// A key picture as a top-down 32-bit DIB's pixels (0x00RRGGBB each).
std::vector<std::uint32_t> ToDibPixels(const KeyBitmap& bitmap);

class PictureDib {
 public:
  PictureDib() = default;
  explicit PictureDib(const KeyBitmap& bitmap);

  bool empty() const { return pixels_.empty(); }
  int width() const { return width_; }
  int height() const { return height_; }
  // Copies it to dc, scaled to width x height pixels.
  void draw(HDC dc, int x, int y, int width, int height) const;

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint32_t> pixels_;
};

struct KeyFace {
  std::string caption;
  Colour backColour = kButtonFace;
  HFONT font = nullptr;
  const PictureDib* picture = nullptr;  // null or empty: none
};

// Paints the whole item of a WM_DRAWITEM for an owner-drawn key button at
// dpi (the picture is scaled from 96 DPI).
void PaintKeyButton(const DRAWITEMSTRUCT& item, const KeyFace& face, int dpi);

}  // namespace lumio::win32
