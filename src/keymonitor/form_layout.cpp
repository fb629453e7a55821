#include "keymonitor/form_layout.h"

#include <algorithm>
#include <array>

#include "keymonitor/key_pictures.h"

namespace lumio {

namespace {

constexpr FontDesc kWindowFont{"Tahoma", 8.25};

constexpr std::array<ChildDesc, kControlCount> kChildren{{
    {Control::Text1, "Text1", true, "Caps Lock is OFF", 240, 4320, 4815, 285, 0},
    {Control::cmdShow, "cmdShow", false, "Show Text", 3960, 4920, 1215, 495, 1},
    {Control::cmdRemove, "cmdRemove", false, "Remove Text", 8160, 5520, 1215, 495, 2},
    {Control::cmdCapNum, "cmdCapNum", false, "TEST CAPS/NUM LOCK ON?", 3360, 5400, 2895, 615, 108},
    {Control::cmdHideIcons, "cmdHideIcons", false, "Hide Icons", 240, 5040, 1335, 495, 109},
    {Control::cmdShowicons, "cmdShowicons", false, "Show Icons", 240, 5640, 1335, 495, 110},
}};

// The on-screen keyboard, row by row, left to right. The index is the
// DirectInput code of the key; index 1 (Escape) is the plain button below
// the rows, while the "Esc" caption sits on index 0.
constexpr std::array<KeyDesc, kKeyButtonCount> kKeys{{
    {0, "Esc", 0, 240, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 3},
    {59, "F1", 1080, 240, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 4},
    {60, "F2", 1680, 240, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 5},
    {61, "F3", 2280, 240, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 6},
    {62, "F4", 2880, 240, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 7},
    {63, "F5", 3840, 240, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 8},
    {64, "F6", 4440, 240, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 9},
    {65, "F7", 5040, 240, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 10},
    {66, "F8", 5640, 240, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 11},
    {67, "F9", 6600, 240, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 12},
    {68, "F10", 7200, 240, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 13},
    {87, "F11", 7800, 240, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 14},
    {88, "F12", 8400, 240, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 15},
    {183, "Print Scrn", 9360, 240, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 16},
    {70, "Scroll Lock", 9960, 240, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 17},
    {197, "Pause ", 10560, 240, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 18},
    {41, "`", 0, 840, 495, 495, {"MS Serif", 9.75}, true, kButtonFace, KeyPicture::None, 19},
    {2, "1", 600, 840, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 20},
    {3, "2", 1200, 840, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 21},
    {4, "3", 1800, 840, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 22},
    {5, "4", 2400, 840, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 23},
    {6, "5", 3000, 840, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 24},
    {7, "6", 3600, 840, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 25},
    {8, "7", 4200, 840, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 26},
    {9, "8", 4800, 840, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 27},
    {10, "9", 5400, 840, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 28},
    {11, "0", 6000, 840, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 29},
    {12, "-", 6600, 840, 495, 495, {"MS Serif", 9.75}, true, kButtonFace, KeyPicture::None, 30},
    {13, "=", 7200, 840, 495, 495, {"MS Serif", 9.75}, true, kButtonFace, KeyPicture::None, 31},
    {43, "\\", 7800, 840, 495, 495, {"MS Serif", 9.75}, true, kButtonFace, KeyPicture::None, 32},
    {14, "Back", 8400, 840, 495, 495, {"MS Serif", 8.25}, true, kLightGrey, KeyPicture::None, 33},
    {210, "Insert", 9360, 840, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 34},
    {199, "Home", 9960, 840, 495, 495, {"MS Serif", 6.75}, true, kButtonFace, KeyPicture::None, 35},
    {201, "Page Up", 10560, 840, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 36},
    {69, "Num Lock", 11400, 840, 495, 495, {"MS Serif", 6.75}, true, kButtonFace, KeyPicture::None, 37},
    {181, "/", 12000, 840, 495, 495, {"MS Serif", 9.75}, true, kButtonFace, KeyPicture::None, 38},
    {55, "*", 12600, 840, 495, 495, {"MS Serif", 9.75}, true, kButtonFace, KeyPicture::None, 39},
    {74, "-", 13200, 840, 495, 495, {"MS Serif", 9.75}, true, kButtonFace, KeyPicture::None, 40},
    {15, "Tab", 0, 1440, 855, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 41},
    {16, "Q", 960, 1440, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 42},
    {17, "W", 1560, 1440, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 43},
    {18, "E", 2160, 1440, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 44},
    {19, "R", 2760, 1440, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 45},
    {20, "T", 3360, 1440, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 46},
    {21, "Y", 3960, 1440, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 47},
    {22, "U", 4560, 1440, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 48},
    {23, "I", 5160, 1440, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 49},
    {24, "O", 5760, 1440, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 50},
    {25, "P", 6360, 1440, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 51},
    {26, "[", 6960, 1440, 495, 495, {"MS Serif", 9.75}, true, kButtonFace, KeyPicture::None, 52},
    {27, "]", 7560, 1440, 495, 495, {"MS Serif", 9.75}, true, kButtonFace, KeyPicture::None, 53},
    {28, "Enter", 8160, 1440, 735, 1095, kWindowFont, true, kButtonFace, KeyPicture::None, 54},
    {211, "Del", 9360, 1440, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 55},
    {207, "End", 9960, 1440, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 56},
    {209, "Page Down", 10560, 1440, 495, 495, {"MS Serif", 6.75}, true, kButtonFace, KeyPicture::None, 57},
    {71, "7", 11400, 1440, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 58},
    {72, "8", 12000, 1440, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 59},
    {73, "9", 12600, 1440, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 60},
    {78, "+", 13200, 1440, 495, 1095, {"MS Serif", 9.75}, true, kButtonFace, KeyPicture::None, 61},
    {58, "Caps Lock", 0, 2040, 1335, 495, kWindowFont, true, kButtonFace, KeyPicture::None, 62},
    {30, "A", 1440, 2040, 495, 495, {"MS Serif", 8.25}, true, kActiveBorder, KeyPicture::None, 63},
    {31, "S", 2040, 2040, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 64},
    {32, "D", 2640, 2040, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 65},
    {33, "F", 3240, 2040, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 66},
    {34, "G", 3840, 2040, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 67},
    {35, "H", 4440, 2040, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 68},
    {36, "J", 5040, 2040, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 69},
    {37, "K", 5640, 2040, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 70},
    {38, "L", 6240, 2040, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 71},
    {39, ";", 6840, 2040, 495, 495, {"MS Serif", 9.75}, true, kButtonFace, KeyPicture::None, 72},
    {40, "'", 7440, 2040, 615, 495, {"MS Serif", 9.75}, true, kButtonFace, KeyPicture::None, 73},
    {75, "4", 11400, 2040, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 74},
    {76, "5", 12000, 2040, 495, 495, {"MS Serif", 6.75}, true, kButtonFace, KeyPicture::None, 75},
    {77, "6", 12600, 2040, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 76},
    {42, "Shift", 0, 2640, 1575, 495, kWindowFont, true, kButtonFace, KeyPicture::None, 77},
    {44, "Z", 1680, 2640, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 78},
    {45, "X", 2280, 2640, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 79},
    {46, "C", 2880, 2640, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 80},
    {47, "V", 3480, 2640, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 81},
    {48, "B", 4080, 2640, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 82},
    {49, "N", 4680, 2640, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 83},
    {50, "M", 5280, 2640, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 84},
    {51, ",", 5880, 2640, 495, 495, {"MS Serif", 9.75}, true, kButtonFace, KeyPicture::None, 85},
    {52, ".", 6480, 2640, 495, 495, {"MS Serif", 9.75}, true, kButtonFace, KeyPicture::None, 86},
    {53, "/", 7080, 2640, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 87},
    {54, "Shift", 7680, 2640, 1215, 495, kWindowFont, true, kButtonFace, KeyPicture::None, 88},
    {200, "Up", 9960, 2640, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 89},
    {79, "1", 11400, 2640, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 90},
    {80, "2", 12000, 2640, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 91},
    {81, "3", 12600, 2640, 495, 495, {"MS Serif", 6.75}, true, kButtonFace, KeyPicture::None, 92},
    {156, "Enter", 13200, 2640, 495, 1095, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 93},
    {29, "Ctrl", 0, 3240, 735, 495, kWindowFont, true, kButtonFace, KeyPicture::None, 94},
    {219, "", 840, 3240, 735, 495, kWindowFont, true, kButtonFace, KeyPicture::WindowsFlag, 95},
    {56, "Alt", 1680, 3240, 735, 495, kWindowFont, true, kButtonFace, KeyPicture::None, 96},
    {57, "Space Bar", 2520, 3240, 3015, 495, kWindowFont, true, kButtonFace, KeyPicture::None, 97},
    {184, "Alt", 5640, 3240, 735, 495, kWindowFont, true, kButtonFace, KeyPicture::None, 98},
    {220, "", 6480, 3240, 735, 495, kWindowFont, true, kButtonFace, KeyPicture::WindowsFlag, 99},
    {221, "", 7320, 3240, 735, 495, kWindowFont, true, kButtonFace, KeyPicture::Menu, 100},
    {157, "Ctrl", 8160, 3240, 735, 495, kWindowFont, true, kButtonFace, KeyPicture::None, 101},
    {203, "Left", 9360, 3240, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 102},
    {208, "Down", 9960, 3240, 495, 495, {"MS Serif", 6.75}, true, kButtonFace, KeyPicture::None, 103},
    {205, "Right", 10560, 3240, 495, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 104},
    {82, "0", 11400, 3240, 1095, 495, {"MS Serif", 8.25}, true, kButtonFace, KeyPicture::None, 105},
    {83, ".", 12600, 3240, 495, 495, {"MS Serif", 9.75}, true, kButtonFace, KeyPicture::None, 106},
    {1, "key 1", 0, 3720, 615, 375, kWindowFont, false, kButtonFace, KeyPicture::None, 107},
}};

constexpr std::array<TimerDesc, kTimerCount> kTimers{{
    {TimerName::tmrAbout, "tmrAbout", 7000, true},
    {TimerName::Timer1, "Timer1", 20, false},
    {TimerName::tmrTestCaps, "tmrTestCaps", 700, false},
    {TimerName::tmrRemoveText, "tmrRemoveText", 700, false},
}};

constexpr std::array<bool, 256> MakeKeyIndexSet() {
  std::array<bool, 256> present{};
  for (const KeyDesc& key : kKeys) present[static_cast<std::size_t>(key.index)] = true;
  return present;
}
constexpr std::array<bool, 256> kHasKey = MakeKeyIndexSet();

std::array<TabStop, kControlCount + kKeyButtonCount> MakeTabOrder() {
  std::array<TabStop, kControlCount + kKeyButtonCount> order{};
  auto next = order.begin();
  for (const ChildDesc& child : kChildren) *next++ = {&child, nullptr};
  for (const KeyDesc& key : kKeys) *next++ = {nullptr, &key};
  const auto tabIndex = [](const TabStop& stop) { return stop.child != nullptr ? stop.child->tabIndex : stop.key->tabIndex; };
  std::stable_sort(order.begin(), order.end(),
                   [&](const TabStop& a, const TabStop& b) { return tabIndex(a) < tabIndex(b); });
  return order;
}

std::array<KeyBitmap, kKeyPictureCount> MakePictures() {
  std::array<KeyBitmap, kKeyPictureCount> pictures;
  for (std::size_t i = 0; i < pictures.size(); ++i) pictures[i] = DrawKeyPicture(static_cast<KeyPicture>(i));
  return pictures;
}

}  // namespace

const FormDescription& frmOSDLayout() {
  static const std::array<TabStop, kControlCount + kKeyButtonCount> tabOrder = MakeTabOrder();
  static const std::array<KeyBitmap, kKeyPictureCount> pictures = MakePictures();
  static const FormDescription form{kAppTitle, 4350, 30, kWindowFont, kChildren, kKeys, kTimers, tabOrder, pictures};
  return form;
}

bool HasKeyButton(std::int32_t code) {
  return code >= 0 && code < 256 && kHasKey[static_cast<std::size_t>(code)];
}

const KeyDesc* FindKey(std::int32_t code) {
  if (!HasKeyButton(code)) return nullptr;
  for (const KeyDesc& key : kKeys)
    if (key.index == code) return &key;
  return nullptr;
}

}  // namespace lumio
