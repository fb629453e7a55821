// Text painted with GDI straight onto the desktop window's DC, over every
// window, and erased by having the whole desktop repaint itself.
#pragma once

#include "seam/screen_surface.h"

namespace lumio::win32 {

// RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN
inline constexpr unsigned kRepaintAllFlags = 133;

class Win32ScreenSurface final : public ScreenSurface {
 public:
  Win32ScreenSurface();

  void drawText(const FontRequest& font, std::int32_t x, std::int32_t y, Colour colour,
                std::string_view text) override;
  void repaintAll() override;

 private:
  // Wine's X11 driver keeps drawing on the screen DC in its connection's
  // buffer until something happens to flush it, which for a program that
  // only paints and waits may be never. Windows needs no such thing.
  bool pushToDisplay_;
};

}  // namespace lumio::win32
