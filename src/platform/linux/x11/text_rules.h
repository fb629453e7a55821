// Small rules about fonts, text and resolution, kept apart from X so they
// can be checked on their own.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumio::x11 {

// Dots per inch: the Xft.dpi resource when it is set, else the screen's
// size in millimetres; 96 when neither gives a believable figure.
int DpiFrom(std::optional<double> xftDpi, int widthPixels, int widthMillimetres);

// Point size to pixels at this resolution, to the nearest pixel.
int PixelsFromPoints(double points, int dpi);

enum class FontFamily { Sans, Serif };
// The classic Windows faces have no match here: any serif face becomes our
// serif font, everything else our sans-serif one.
FontFamily FamilyOfFace(std::string_view faceName);

// A font weight of 100..900 (0: don't care) on fontconfig's scale.
int FontconfigWeight(int weight);

// How big a font must be asked for. A positive height is the character
// cell (ascent + descent) in pixels, a negative one the em size, and 0 the
// usual default.
struct FontSizing {
  double pixelSize;  // first size to try
  int cellHeight;    // cell to reach by rescaling, 0 for none
};
FontSizing SizingFor(int height);

// The next pixel size to try when a font of pixelSize measured measuredCell
// pixels from ascent to descent and wantedCell is needed.
double RescaledPixelSize(int wantedCell, double pixelSize, int measuredCell);

// The pixel size whose cell (as cellAt measures it) is wantedCell. Rounding
// in the font's metrics makes the cell a step function of the size, and
// some cells may be skipped: then the size of the largest cell below it.
// cellAt is called a bounded number of times (about thirty at most).
double PixelSizeForCell(int wantedCell, double firstSize, const std::function<int(double)>& cellAt);

// A line under or through the text, relative to the cell's top.
struct TextLine {
  int top;
  int thickness;
};
// The lines a font of this ascent and descent asks for, a twentieth of the
// cell thick: the X windows and the Wayland surfaces draw the same ones.
std::vector<TextLine> TextLines(bool underline, bool strikeOut, int ascent, int descent);

bool IsValidUtf8(std::string_view bytes);
// The bytes as UTF-8: unchanged when they already are, else read as Latin-1.
std::string TextAsUtf8(std::string_view bytes);

}  // namespace lumio::x11
