#include "platform/linux/x11/text_rules.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>

namespace lumio::x11 {

namespace {

constexpr int kFallbackDpi = 96;
// Servers that do not know their monitor report sizes that give absurd
// resolutions; anything outside this range is not believed.
constexpr int kLowestDpi = 48;
constexpr int kHighestDpi = 480;
constexpr int kDefaultCellHeight = 16;

bool Believable(double dpi) { return std::isfinite(dpi) && dpi >= kLowestDpi && dpi <= kHighestDpi; }

bool Contains(std::string_view text, std::string_view word) {
  const auto lower = [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); };
  return std::search(text.begin(), text.end(), word.begin(), word.end(),
                     [&](char a, char b) { return lower(a) == lower(b); }) != text.end();
}

}  // namespace

int DpiFrom(std::optional<double> xftDpi, int widthPixels, int widthMillimetres) {
  if (xftDpi && Believable(*xftDpi)) return static_cast<int>(std::lround(*xftDpi));
  if (widthMillimetres > 0) {
    const double dpi = widthPixels * 25.4 / widthMillimetres;
    if (Believable(dpi)) return static_cast<int>(std::lround(dpi));
  }
  return kFallbackDpi;
}

int PixelsFromPoints(double points, int dpi) { return static_cast<int>(std::lround(points * dpi / 72.0)); }

FontFamily FamilyOfFace(std::string_view faceName) {
  if (Contains(faceName, "sans")) return FontFamily::Sans;
  if (Contains(faceName, "serif") || Contains(faceName, "times") || Contains(faceName, "roman"))
    return FontFamily::Serif;
  return FontFamily::Sans;
}

int FontconfigWeight(int weight) {
  // fontconfig: thin 0, extra light 40, light 50, regular 80, medium 100,
  // demibold 180, bold 200, extra bold 205, black 210.
  if (weight <= 0) return 80;
  if (weight < 150) return 0;
  if (weight < 250) return 40;
  if (weight < 350) return 50;
  if (weight < 450) return 80;
  if (weight < 550) return 100;
  if (weight < 650) return 180;
  if (weight < 750) return 200;
  if (weight < 850) return 205;
  return 210;
}

FontSizing SizingFor(int height) {
  if (height > 0) return {static_cast<double>(height), height};
  if (height < 0) return {-static_cast<double>(height), 0};
  return {static_cast<double>(kDefaultCellHeight), kDefaultCellHeight};
}

double RescaledPixelSize(int wantedCell, double pixelSize, int measuredCell) {
  if (wantedCell <= 0 || measuredCell <= 0) return pixelSize;
  return pixelSize * wantedCell / measuredCell;
}

double PixelSizeForCell(int wantedCell, double firstSize, const std::function<int(double)>& cellAt) {
  if (wantedCell <= 0 || !(firstSize > 0)) return firstSize;
  // The sizes tried so far closest below (cell too small) and above.
  double below = 0, above = 0;
  bool haveBelow = false, haveAbove = false;
  const auto tryAt = [&](double size) {
    const int cell = cellAt(size);
    if (cell < wantedCell) {
      if (!haveBelow || size > below) below = size;
      haveBelow = true;
    } else if (cell > wantedCell) {
      if (!haveAbove || size < above) above = size;
      haveAbove = true;
    }
    return cell;
  };

  int cell = tryAt(firstSize);
  if (cell == wantedCell || cell <= 0) return firstSize;
  // Usually right at once: the cell grows in proportion to the size.
  const double guess = RescaledPixelSize(wantedCell, firstSize, cell);
  if (tryAt(guess) == wantedCell) return guess;

  for (int i = 0; i < 8 && !haveBelow; ++i) {
    const double size = (haveAbove ? above : firstSize) * 0.8;
    if (tryAt(size) == wantedCell) return size;
  }
  for (int i = 0; i < 8 && !haveAbove; ++i) {
    const double size = (haveBelow ? below : firstSize) * 1.25;
    if (tryAt(size) == wantedCell) return size;
  }
  if (!haveBelow || !haveAbove) return haveBelow ? below : firstSize;
  for (int i = 0; i < 14; ++i) {
    const double middle = (below + above) / 2;
    if (tryAt(middle) == wantedCell) return middle;
  }
  return below;
}

std::vector<TextLine> TextLines(bool underline, bool strikeOut, int ascent, int descent) {
  std::vector<TextLine> lines;
  const int thickness = std::max(1, static_cast<int>(std::lround((ascent + descent) / 20.0)));
  if (underline) lines.push_back({ascent + std::max(1, descent / 3), thickness});
  if (strikeOut) lines.push_back({ascent - ascent / 3, thickness});
  return lines;
}

bool IsValidUtf8(std::string_view bytes) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    int extra = 0;
    std::uint32_t code = 0;
    if (c < 0x80) {
      ++i;
      continue;
    } else if (c >= 0xC2 && c <= 0xDF) {
      extra = 1;
      code = c & 0x1Fu;
    } else if (c >= 0xE0 && c <= 0xEF) {
      extra = 2;
      code = c & 0x0Fu;
    } else if (c >= 0xF0 && c <= 0xF4) {
      extra = 3;
      code = c & 0x07u;
    } else {
      return false;
    }
    if (i + static_cast<std::size_t>(extra) >= bytes.size()) return false;  // cut short
    for (int k = 1; k <= extra; ++k) {
      const auto cc = static_cast<unsigned char>(bytes[i + static_cast<std::size_t>(k)]);
      if ((cc & 0xC0u) != 0x80u) return false;
      code = (code << 6) | (cc & 0x3Fu);
    }
    // Overlong forms, surrogates and code points beyond Unicode.
    if ((extra == 2 && code < 0x800) || (extra == 3 && code < 0x10000) || code > 0x10FFFF ||
        (code >= 0xD800 && code <= 0xDFFF))
      return false;
    i += static_cast<std::size_t>(extra) + 1;
  }
  return true;
}

std::string TextAsUtf8(std::string_view bytes) {
  if (IsValidUtf8(bytes)) return std::string(bytes);
  std::string out;
  out.reserve(bytes.size() * 2);
  for (char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      out.push_back(ch);
    } else {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

}  // namespace lumio::x11
