// The X11 backend's pure rules: key codes, colours, fonts and text.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <tuple>
#include <vector>

#include "keymonitor/form_layout.h"
#include "platform/linux/x11/colours.h"
#include "platform/linux/x11/frame_extents.h"
#include "platform/linux/x11/key_codes.h"
#include "platform/linux/x11/monitors_x11.h"
#include "platform/linux/x11/text_rules.h"

namespace lumio::x11 {
namespace {

TEST(KeyCodeTable, EveryKeyOfTheOnScreenKeyboardCanBeReached) {
  for (const KeyDesc& key : frmOSDLayout().keys) {
    if (key.index == 0) continue;  // the "Esc" caption sits on index 0, which is no key code
    const int xKeycode = XKeycodeFromDik(key.index);
    ASSERT_NE(xKeycode, 0) << "no X key gives DirectInput code " << key.index << " (" << key.caption << ")";
    EXPECT_EQ(DikFromXKeycode(xKeycode), key.index);
  }
}

TEST(KeyCodeTable, MapsEvdevKeyCodesToDirectInputCodes) {
  const struct {
    int x, dik;
  } cases[] = {
      {9, 1},      // Escape
      {38, 30},    // A
      {66, 58},    // Caps Lock
      {91, 83},    // keypad .
      {95, 87},    // F11
      {96, 88},    // F12
      {104, 156},  // keypad Enter
      {105, 157},  // right Ctrl
      {106, 181},  // keypad /
      {107, 183},  // Print
      {108, 184},  // right Alt
      {110, 199},  // Home
      {111, 200},  // Up
      {113, 203},  // Left
      {114, 205},  // Right
      {116, 208},  // Down
      {118, 210},  // Insert
      {119, 211},  // Delete
      {127, 197},  // Pause
      {133, 219},  // left Windows
      {134, 220},  // right Windows
      {135, 221},  // Menu
  };
  for (const auto& c : cases) EXPECT_EQ(DikFromXKeycode(c.x), c.dik) << "X key code " << c.x;
}

TEST(KeyCodeTable, CodesWithoutACounterpartGiveZero) {
  for (int x : {-1, 0, 1, 8, 93, 109, 255, 256, 100000}) EXPECT_EQ(DikFromXKeycode(x), 0) << x;
  EXPECT_EQ(XKeycodeFromDik(0), 0);
  EXPECT_EQ(XKeycodeFromDik(255), 0);
}

TEST(KeyCodeTable, KeymapBitsBecomeDownBytesAndCapsLockIsWhatTheLayoutSays) {
  const auto set = [](std::initializer_list<int> codes) {
    KeycodeSet keys;
    for (int code : codes) keys.set(static_cast<std::size_t>(code));
    return keys;
  };
  const struct {
    const char* layout;
    KeycodeSet capsLock;
    std::vector<int> down;  // X key codes
    std::vector<int> expected;  // DirectInput codes
  } cases[] = {
      {"as placed", KeysAtCapsLockPlace(), {66, 133, 255}, {58, 219}},  // 255 has no counterpart
      {"ctrl:nocaps", {}, {66, 37}, {29}},                              // Caps Lock's place is nothing
      {"caps:swapescape, Esc's place", set({9}), {9}, {58}},
      {"caps:swapescape, Caps Lock's place", set({9}), {66}, {}},
      {"Caps Lock on two keys", set({9, 66}), {9, 66, 38}, {30, 58}},
  };
  for (const auto& c : cases) {
    char keys[32] = {};
    for (int code : c.down) keys[code / 8] = static_cast<char>(keys[code / 8] | (1 << (code % 8)));
    KeyboardState state;
    state.fill(7);  // stale bytes from an earlier snapshot must go
    TranslateKeymap(keys, c.capsLock, state);
    std::vector<int> down;
    for (std::size_t i = 0; i < state.size(); ++i) {
      if (state[i] != 0) down.push_back(static_cast<int>(i));
      EXPECT_TRUE(state[i] == 0 || state[i] == 128) << c.layout << ", byte " << i;
    }
    EXPECT_EQ(down, c.expected) << c.layout;
  }
  EXPECT_EQ(KeysAtCapsLockPlace(), set({66}));
}

TEST(Monitors, TheScreenIsThePrimaryMonitorElseTheFirstElseTheRoot) {
  const ScreenArea root{0, 0, 2304, 1024};
  const Monitor left{{0, 0, 1024, 768}, false}, right{{1024, 0, 1280, 1024}, true};
  const Monitor empty{{5, 5, 0, 0}, true};
  const struct {
    std::vector<Monitor> monitors;
    ScreenArea expected;
  } cases[] = {
      {{left, right}, right.area},
      {{right, left}, right.area},
      {{left, {right.area, false}}, left.area},
      {{empty, left}, left.area},
      {{empty}, root},
      {{}, root},
  };
  const auto corners = [](const ScreenArea& a) { return std::tuple{a.x, a.y, a.width, a.height}; };
  for (const auto& c : cases) EXPECT_EQ(corners(ChooseScreen(c.monitors, root)), corners(c.expected));
  // Centred with its frame on the monitor: the window's own corner inside the frame.
  const Position placed = CentredClientPosition(right.area, 290, 2, FrameExtents{1, 1, 20, 1});
  EXPECT_EQ(placed.x, 1024 + (1280 - 292) / 2 + 1);
  EXPECT_EQ(placed.y, (1024 - 23) / 2 + 20);
}

TEST(ColourResolution, RgbValuesAreRedInTheLowByte) {
  EXPECT_EQ(ResolveColour(kYellow), (Rgb{255, 255, 0}));
  EXPECT_EQ(ResolveColour(kGreen), (Rgb{0, 255, 0}));
  EXPECT_EQ(ResolveColour(kLightGrey), (Rgb{192, 192, 192}));
  EXPECT_EQ(ResolveColour(0x00123456), (Rgb{0x56, 0x34, 0x12}));
}

TEST(ColourResolution, SystemColoursComeFromTheClassicTable) {
  EXPECT_EQ(ResolveColour(kActiveBorder), (Rgb{180, 180, 180}));
  EXPECT_EQ(ResolveColour(kButtonFace), (Rgb{240, 240, 240}));
  EXPECT_EQ(ResolveColour(kSystemColourFlag | 5), (Rgb{255, 255, 255}));  // window background
  EXPECT_EQ(ResolveColour(kSystemColourFlag | 18), (Rgb{0, 0, 0}));       // button text
  EXPECT_EQ(ResolveColour(kSystemColourFlag | 200), (Rgb{0, 0, 0}));      // no such colour
  EXPECT_EQ(ResolveColour(kSystemColourFlag | 0x10F), (Rgb{0, 0, 0}));    // nor this
}

TEST(Resolution, XftDpiWinsThenTheScreenSizeThenNinetySix) {
  EXPECT_EQ(DpiFrom(120.0, 1280, 325), 120);
  EXPECT_EQ(DpiFrom(std::nullopt, 1280, 325), 100);  // Xvfb's default size
  EXPECT_EQ(DpiFrom(std::nullopt, 1920, 508), 96);
  EXPECT_EQ(DpiFrom(std::nullopt, 1280, 0), 96);
  EXPECT_EQ(DpiFrom(0.0, 1280, 325), 100);            // a nonsense resource is ignored
  EXPECT_EQ(DpiFrom(std::nullopt, 1280, 2), 96);      // and so is a nonsense screen size
}

TEST(Resolution, PointsToPixels) {
  EXPECT_EQ(PixelsFromPoints(8.25, 96), 11);
  EXPECT_EQ(PixelsFromPoints(6.75, 96), 9);
  EXPECT_EQ(PixelsFromPoints(72, 100), 100);
}

TEST(Fonts, WindowsFacesBecomeSerifOrSans) {
  EXPECT_EQ(FamilyOfFace("MS Serif"), FontFamily::Serif);
  EXPECT_EQ(FamilyOfFace("Times New Roman"), FontFamily::Serif);
  EXPECT_EQ(FamilyOfFace("MS Sans Serif"), FontFamily::Sans);
  EXPECT_EQ(FamilyOfFace("Tahoma"), FontFamily::Sans);
  EXPECT_EQ(FamilyOfFace(""), FontFamily::Sans);
}

TEST(Fonts, WeightsFollowFontconfigsScale) {
  EXPECT_EQ(FontconfigWeight(700), 200);  // FC_WEIGHT_BOLD
  EXPECT_EQ(FontconfigWeight(400), 80);   // FC_WEIGHT_REGULAR
  EXPECT_EQ(FontconfigWeight(0), 80);     // don't care
  EXPECT_EQ(FontconfigWeight(900), 210);  // FC_WEIGHT_BLACK
  EXPECT_EQ(FontconfigWeight(100), 0);    // FC_WEIGHT_THIN
}

TEST(Fonts, HeightIsTheCellWhenPositiveAndTheEmWhenNegative) {
  const FontSizing cell = SizingFor(72);
  EXPECT_DOUBLE_EQ(cell.pixelSize, 72);
  EXPECT_EQ(cell.cellHeight, 72);
  const FontSizing em = SizingFor(-40);
  EXPECT_DOUBLE_EQ(em.pixelSize, 40);
  EXPECT_EQ(em.cellHeight, 0);
  EXPECT_GT(SizingFor(0).cellHeight, 0);
  // A face whose cell is 1.17 em tall at 72 px must be asked for smaller.
  EXPECT_NEAR(RescaledPixelSize(72, 72, 84), 61.714, 0.001);
  EXPECT_DOUBLE_EQ(RescaledPixelSize(72, 72, 0), 72);
}

TEST(Fonts, TheCellSearchFindsTheExactCellWhereverTheMetricsRound) {
  // Like a real face: ascent and descent are rounded up separately.
  int calls = 0;
  const auto roundedFace = [&](double size) {
    ++calls;
    return static_cast<int>(std::ceil(size * 0.928) + std::ceil(size * 0.236));
  };
  for (int wanted = 8; wanted <= 300; ++wanted) {
    calls = 0;
    const double size = PixelSizeForCell(wanted, wanted, roundedFace);
    const int cell = roundedFace(size);
    // Some cells cannot be had at all; then the largest one below.
    EXPECT_TRUE(cell == wanted || (cell < wanted && roundedFace(size + 0.01) > wanted)) << wanted;
    EXPECT_LE(calls, 40) << wanted;
  }
}

TEST(Fonts, TheCellSearchSettlesBelowWhenACellIsSkipped) {
  const auto evenOnly = [](double size) { return 2 * static_cast<int>(size / 2); };  // never odd
  const double size = PixelSizeForCell(73, 73, evenOnly);
  EXPECT_EQ(evenOnly(size), 72);
  const auto brokenFont = [](double) { return 0; };
  EXPECT_DOUBLE_EQ(PixelSizeForCell(72, 72, brokenFont), 72);
}

TEST(Text, Utf8StaysAndAnythingElseIsLatin1) {
  EXPECT_EQ(TextAsUtf8("Caps Lock is ON"), "Caps Lock is ON");
  EXPECT_EQ(TextAsUtf8("\xC3\xA9t\xC3\xA9"), "\xC3\xA9t\xC3\xA9");  // "été" in UTF-8
  EXPECT_EQ(TextAsUtf8("\xE9t\xE9"), "\xC3\xA9t\xC3\xA9");          // "été" in Latin-1
  EXPECT_EQ(TextAsUtf8("\xC0\xAF"), "\xC3\x80\xC2\xAF");            // overlong: not UTF-8
  EXPECT_FALSE(IsValidUtf8("\xE2\x82"));                              // cut short
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));                          // a surrogate
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));                      // beyond U+10FFFF
  EXPECT_TRUE(IsValidUtf8("\xE2\x82\xAC \xF0\x9F\x98\x80"));          // euro sign, emoji
  EXPECT_EQ(TextAsUtf8(std::string_view("a\0b", 3)), std::string("a\0b", 3));
}

}  // namespace
}  // namespace lumio::x11
