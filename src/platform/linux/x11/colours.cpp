#include "platform/linux/x11/colours.h"

#include <array>

namespace lumio::x11 {

namespace {

// The system colour numbers 0..30 with their default values.
constexpr std::array<Rgb, 31> kSystemColours{{
    {200, 200, 200},  //  0 scroll bars
    {0, 0, 0},        //  1 desktop
    {153, 180, 209},  //  2 active title bar
    {191, 205, 219},  //  3 inactive title bar
    {240, 240, 240},  //  4 menu bar
    {255, 255, 255},  //  5 window background
    {100, 100, 100},  //  6 window frame
    {0, 0, 0},        //  7 menu text
    {0, 0, 0},        //  8 window text
    {0, 0, 0},        //  9 active title bar text
    {180, 180, 180},  // 10 active border
    {244, 247, 252},  // 11 inactive border
    {171, 171, 171},  // 12 application workspace
    {51, 153, 255},   // 13 highlight
    {255, 255, 255},  // 14 highlighted text
    {240, 240, 240},  // 15 button face
    {160, 160, 160},  // 16 button shadow
    {109, 109, 109},  // 17 disabled text
    {0, 0, 0},        // 18 button text
    {67, 78, 84},     // 19 inactive title bar text
    {255, 255, 255},  // 20 button highlight
    {105, 105, 105},  // 21 button dark shadow
    {227, 227, 227},  // 22 button light shadow
    {0, 0, 0},        // 23 tooltip text
    {255, 255, 225},  // 24 tooltip background
    {0, 0, 0},        // 25 (unused)
    {0, 102, 204},    // 26 hot-tracked item
    {185, 209, 234},  // 27 active title gradient
    {215, 228, 242},  // 28 inactive title gradient
    {51, 153, 255},   // 29 menu highlight
    {240, 240, 240},  // 30 menu bar
}};

}  // namespace

Rgb ResolveColour(Colour colour) {
  if (IsSystemColour(colour)) {
    const auto index = static_cast<std::size_t>(colour & 0x00FFFFFFu);
    return index < kSystemColours.size() ? kSystemColours[index] : Rgb{};
  }
  return {RedOf(colour), GreenOf(colour), BlueOf(colour)};
}

}  // namespace lumio::x11
