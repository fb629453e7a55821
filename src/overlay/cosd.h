// cOSD paints one line of text straight onto the screen and erases overlay
// text by making everything repaint. Each instance has a font of its own.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "overlay/std_font.h"
#include "seam/screen_surface.h"

namespace lumio {

class cOSD {
 public:
  explicit cOSD(ScreenSurface& surface) : surface_(surface), font_(std::make_shared<StdFont>()) {}

  // The instance's own font object, shared rather than copied: changes made
  // through it apply to the next ShowText of this instance.
  std::shared_ptr<StdFont> Font() const { return font_; }

  // aTop is y and comes first. Fails (6) before anything is drawn when the
  // font's size does not fit; the drawing itself reports nothing.
  void ShowText(std::string_view aText, std::int32_t aTop, std::int32_t aLeft, Colour aFontColor);
  // Erases whatever any instance painted, by a repaint of everything.
  void RemoveText();

 private:
  ScreenSurface& surface_;
  std::shared_ptr<StdFont> font_;
};

// How the program's painted text looks. The Caps Lock announcement and
// "Show Text" use all of it; the start-up banner shares the weight, colour
// and left edge, with sizes and tops of its own.
inline constexpr Boolean kOverlayBold = kTrue;
inline constexpr Colour kOverlayColour = kGreen;
inline constexpr std::int32_t kOverlayLeft = 250;
inline constexpr std::int32_t kAnnouncementTop = 300;
inline constexpr std::int64_t kAnnouncementSize = 72 * StdFont::kSizeScale;  // a 72-pixel cell

}  // namespace lumio
