#include "platform/win32/key_button_painter.h"

namespace lumio::win32 {

COLORREF ToColorRef(Colour colour) {
  if (IsSystemColour(colour)) return GetSysColor(SystemColourIndex(colour));
  return static_cast<COLORREF>(colour & 0x00FFFFFFu);
}

std::vector<std::uint32_t> ToDibPixels(const KeyBitmap& bitmap) {
  std::vector<std::uint32_t> pixels;
  pixels.reserve(bitmap.pixels.size());
  for (const Colour c : bitmap.pixels)
    pixels.push_back(static_cast<std::uint32_t>(RedOf(c)) << 16 | static_cast<std::uint32_t>(GreenOf(c)) << 8 |
                     static_cast<std::uint32_t>(BlueOf(c)));
  return pixels;
}

PictureDib::PictureDib(const KeyBitmap& bitmap)
    : width_(bitmap.width), height_(bitmap.height), pixels_(ToDibPixels(bitmap)) {}

void PictureDib::draw(HDC dc, int x, int y, int width, int height) const {
  if (empty()) return;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width_;
  info.bmiHeader.biHeight = -height_;  // top-down, as the picture is stored
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  StretchDIBits(dc, x, y, width, height, 0, 0, width_, height_, pixels_.data(), &info, DIB_RGB_COLORS, SRCCOPY);
}

void PaintKeyButton(const DRAWITEMSTRUCT& item, const KeyFace& face, int dpi) {
  const HDC dc = item.hDC;
  RECT faceRect = item.rcItem;
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;

  const HBRUSH back = CreateSolidBrush(ToColorRef(face.backColour));
  FillRect(dc, &faceRect, back);
  DeleteObject(back);
  DrawEdge(dc, &faceRect, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST);
  if (pressed) OffsetRect(&faceRect, 1, 1);  // the face moves in as the key goes down

  RECT textRect = faceRect;
  if (face.picture != nullptr && !face.picture->empty()) {
    const int w = MulDiv(face.picture->width(), dpi, 96);
    const int h = MulDiv(face.picture->height(), dpi, 96);
    const int x = (faceRect.left + faceRect.right - w) / 2;
    int y = (faceRect.top + faceRect.bottom - h) / 2;
    if (!face.caption.empty()) y = faceRect.top + 2;  // picture above the caption
    face.picture->draw(dc, x, y, w, h);
    textRect.top = y + h;
  }

  if (!face.caption.empty()) {
    const HGDIOBJ oldFont = SelectObject(dc, face.font != nullptr ? face.font : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor((item.itemState & ODS_DISABLED) != 0 ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
    // Long captions ("Scroll Lock") wrap; the block is centred both ways.
    const UINT format = DT_CENTER | DT_WORDBREAK | DT_NOPREFIX;
    RECT measured = textRect;
    const int height = DrawTextA(dc, face.caption.c_str(), -1, &measured, format | DT_CALCRECT);
    RECT centred = textRect;
    const int spare = (textRect.bottom - textRect.top) - height;
    if (spare > 0) centred.top += spare / 2;
    DrawTextA(dc, face.caption.c_str(), -1, &centred, format);
    SelectObject(dc, oldFont);
  }

  if ((item.itemState & ODS_FOCUS) != 0 && (item.itemState & ODS_NOFOCUSRECT) == 0) {
    RECT focus = faceRect;
    InflateRect(&focus, -2, -2);
    DrawFocusRect(dc, &focus);
  }
}

}  // namespace lumio::win32
