#include "platform/win32/screen_surface_win32.h"

#include <climits>

#include "platform/win32/key_button_painter.h"
#include "platform/win32/win32_api.h"

namespace lumio::win32 {

static_assert(kRepaintAllFlags == (RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN));

Win32ScreenSurface::Win32ScreenSurface() : pushToDisplay_(RunningUnderWine()) {}

void Win32ScreenSurface::drawText(const FontRequest& f, std::int32_t x, std::int32_t y, Colour colour,
                                std::string_view text) {
  // The font comes first, from the fourteen values as they are: a True
  // italic (-1) is a nonzero byte to GDI like any other.
  const HFONT font = CreateFontA(f.height, f.width, f.escapement, f.orientation, f.weight, static_cast<DWORD>(f.italic),
                                 static_cast<DWORD>(f.underline), static_cast<DWORD>(f.strikeOut),
                                 static_cast<DWORD>(f.charset), static_cast<DWORD>(f.outPrecision),
                                 static_cast<DWORD>(f.clipPrecision), static_cast<DWORD>(f.quality),
                                 static_cast<DWORD>(f.pitchAndFamily), f.faceName.c_str());
  const HWND desktop = GetDesktopWindow();
  const HDC dc = GetWindowDC(desktop);
  const HGDIOBJ oldFont = SelectObject(dc, font);
  SetTextColor(dc, ToColorRef(colour));
  SetBkMode(dc, TRANSPARENT);
  const int count = text.size() > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(text.size());
  TextOutA(dc, x, y, text.data(), count);
  // Everything we made or borrowed goes back: an announcement leaks nothing.
  SelectObject(dc, oldFont);
  DeleteObject(font);
  ReleaseDC(desktop, dc);

  if (pushToDisplay_) {
    // Reading a pixel back needs an answer from the X server, and waiting
    // for one sends everything queued before it.
    const HDC screen = GetDC(nullptr);
    GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
  }
}

void Win32ScreenSurface::repaintAll() { RedrawWindow(nullptr, nullptr, nullptr, kRepaintAllFlags); }

}  // namespace lumio::win32
