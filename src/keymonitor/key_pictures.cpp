#include "keymonitor/key_pictures.h"

namespace lumio {

namespace {

constexpr Colour Rgb(int r, int g, int b) {
  return static_cast<Colour>(r) | (static_cast<Colour>(g) << 8) | (static_cast<Colour>(b) << 16);
}
constexpr Colour kBlack = 0;

KeyBitmap Blank(int width, int height, Colour background) {
  return {width, height, std::vector<Colour>(static_cast<std::size_t>(width * height), background)};
}

void Plot(KeyBitmap& bmp, int x, int y) {
  if (x >= 0 && y >= 0 && x < bmp.width && y < bmp.height) bmp.pixels[static_cast<std::size_t>(y * bmp.width + x)] = kBlack;
}

// A waving four-pane flag: every column is shifted by a gentle wave, so the
// outline and the cross bend together.
KeyBitmap WindowsFlag() {
  KeyBitmap bmp = Blank(25, 17, Rgb(185, 185, 185));
  constexpr int kLeft = 6, kRight = 18, kTop = 2, kBottom = 13, kMidX = 12, kMidY = 7;
  constexpr int kWave[kRight - kLeft + 1] = {1, 1, 0, 0, 0, 0, 1, 1, 1, 1, 0, 0, 0};
  for (int x = kLeft; x <= kRight; ++x) {
    const int dy = kWave[x - kLeft];
    Plot(bmp, x, kTop + dy);
    Plot(bmp, x, kMidY + dy);
    Plot(bmp, x, kBottom + dy);
  }
  for (int y = kTop; y <= kBottom; ++y) {
    Plot(bmp, kLeft, y + kWave[0]);
    Plot(bmp, kMidX, y + kWave[kMidX - kLeft]);
    Plot(bmp, kRight, y + kWave[kRight - kLeft]);
  }
  return bmp;
}

// A menu: a frame with a filled title band and three ruled lines.
KeyBitmap Menu() {
  KeyBitmap bmp = Blank(17, 25, Rgb(180, 180, 180));
  constexpr int kLeft = 3, kRight = 13, kTop = 3, kBottom = 21;
  for (int x = kLeft; x <= kRight; ++x) {
    Plot(bmp, x, kTop);
    Plot(bmp, x, kBottom);
  }
  for (int y = kTop; y <= kBottom; ++y) {
    Plot(bmp, kLeft, y);
    Plot(bmp, kRight, y);
  }
  for (int y = kTop; y <= kTop + 4; ++y)
    for (int x = kLeft; x <= kRight; ++x) Plot(bmp, x, y);
  for (int y : {11, 14, 17})
    for (int x = kLeft + 2; x <= kRight - 2; ++x) Plot(bmp, x, y);
  return bmp;
}

}  // namespace

KeyBitmap DrawKeyPicture(KeyPicture picture) {
  switch (picture) {
    case KeyPicture::WindowsFlag: return WindowsFlag();
    case KeyPicture::Menu: return Menu();
    case KeyPicture::None: break;
  }
  return {};
}

}  // namespace lumio
