// The whole screen as a surface to paint text on, over every window, and to
// make repaint. Painted text stays until that repaint, whoever painted it;
// no window the user could click, focus or switch to ever shows it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "seam/basic_types.h"

namespace lumio {

// The fourteen values a font is created from, in creation order.
struct FontRequest {
  std::int32_t height = 0;  // character-cell height in device pixels
  std::int32_t width = 0;
  std::int32_t escapement = 0;
  std::int32_t orientation = 0;
  std::int32_t weight = 400;
  std::int32_t italic = 0;  // 0 or -1
  std::int32_t underline = 0;
  std::int32_t strikeOut = 0;
  std::int32_t charset = 0;
  std::int32_t outPrecision = 0;
  std::int32_t clipPrecision = 0;
  std::int32_t quality = 0;
  std::int32_t pitchAndFamily = 0;
  std::string faceName;
};

class ScreenSurface {
 public:
  virtual ~ScreenSurface() = default;
  // Creates the font first, then paints the glyphs only (transparent
  // background) with the first cell's top-left corner at (x, y) in screen
  // pixels. Results are not examined: a failed call just shows nothing.
  virtual void drawText(const FontRequest& font, std::int32_t x, std::int32_t y, Colour colour,
                        std::string_view text) = 0;
  // Marks the desktop and every window on it for repainting, backgrounds
  // included, and returns at once.
  virtual void repaintAll() = 0;
};

}  // namespace lumio
