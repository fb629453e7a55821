#include "keymonitor/form_layout.h"

#include <algorithm>
#include <array>

#include "keymonitor/key_pictures.h"

namespace lumio {

namespace {

constexpr FontDesc kWindowFont{"Tahoma", 8.25};
constexpr FontDesc kSerif{"MS Serif", 8.25};
constexpr FontDesc kSerifLarge{"MS Serif", 9.75};
constexpr FontDesc kSerifSmall{"MS Serif", 6.75};

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
// the rows, while the "Esc" caption sits on index 0. Most keys are a
// graphical 495-twip square in MS Serif 8.25 with the default colour: a row
// names only what differs. The keys take the tab stops from 3 on, in the
// order given here.
struct KeyRow {
  int index;
  std::string_view caption;
  int left, top;
  FontDesc font = kSerif;
  int width = 495, height = 495;
  Colour backColor = kButtonFace;
  KeyPicture picture = KeyPicture::None;
  bool graphical = true;
};

constexpr KeyRow kKeyRows[] = {
    {0, "Esc", 0, 240},
    {59, "F1", 1080, 240},
    {60, "F2", 1680, 240},
    {61, "F3", 2280, 240},
    {62, "F4", 2880, 240},
    {63, "F5", 3840, 240},
    {64, "F6", 4440, 240},
    {65, "F7", 5040, 240},
    {66, "F8", 5640, 240},
    {67, "F9", 6600, 240},
    {68, "F10", 7200, 240},
    {87, "F11", 7800, 240},
    {88, "F12", 8400, 240},
    {183, "Print Scrn", 9360, 240},
    {70, "Scroll Lock", 9960, 240},
    {197, "Pause ", 10560, 240},
    {41, "`", 0, 840, kSerifLarge},
    {2, "1", 600, 840},
    {3, "2", 1200, 840},
    {4, "3", 1800, 840},
    {5, "4", 2400, 840},
    {6, "5", 3000, 840},
    {7, "6", 3600, 840},
    {8, "7", 4200, 840},
    {9, "8", 4800, 840},
    {10, "9", 5400, 840},
    {11, "0", 6000, 840},
    {12, "-", 6600, 840, kSerifLarge},
    {13, "=", 7200, 840, kSerifLarge},
    {43, "\\", 7800, 840, kSerifLarge},
    {14, "Back", 8400, 840, kSerif, 495, 495, kLightGrey},
    {210, "Insert", 9360, 840},
    {199, "Home", 9960, 840, kSerifSmall},
    {201, "Page Up", 10560, 840},
    {69, "Num Lock", 11400, 840, kSerifSmall},
    {181, "/", 12000, 840, kSerifLarge},
    {55, "*", 12600, 840, kSerifLarge},
    {74, "-", 13200, 840, kSerifLarge},
    {15, "Tab", 0, 1440, kSerif, 855},
    {16, "Q", 960, 1440},
    {17, "W", 1560, 1440},
    {18, "E", 2160, 1440},
    {19, "R", 2760, 1440},
    {20, "T", 3360, 1440},
    {21, "Y", 3960, 1440},
    {22, "U", 4560, 1440},
    {23, "I", 5160, 1440},
    {24, "O", 5760, 1440},
    {25, "P", 6360, 1440},
    {26, "[", 6960, 1440, kSerifLarge},
    {27, "]", 7560, 1440, kSerifLarge},
    {28, "Enter", 8160, 1440, kWindowFont, 735, 1095},
    {211, "Del", 9360, 1440},
    {207, "End", 9960, 1440},
    {209, "Page Down", 10560, 1440, kSerifSmall},
    {71, "7", 11400, 1440},
    {72, "8", 12000, 1440},
    {73, "9", 12600, 1440},
    {78, "+", 13200, 1440, kSerifLarge, 495, 1095},
    {58, "Caps Lock", 0, 2040, kWindowFont, 1335},
    {30, "A", 1440, 2040, kSerif, 495, 495, kActiveBorder},
    {31, "S", 2040, 2040},
    {32, "D", 2640, 2040},
    {33, "F", 3240, 2040},
    {34, "G", 3840, 2040},
    {35, "H", 4440, 2040},
    {36, "J", 5040, 2040},
    {37, "K", 5640, 2040},
    {38, "L", 6240, 2040},
    {39, ";", 6840, 2040, kSerifLarge},
    {40, "'", 7440, 2040, kSerifLarge, 615},
    {75, "4", 11400, 2040},
    {76, "5", 12000, 2040, kSerifSmall},
    {77, "6", 12600, 2040},
    {42, "Shift", 0, 2640, kWindowFont, 1575},
    {44, "Z", 1680, 2640},
    {45, "X", 2280, 2640},
    {46, "C", 2880, 2640},
    {47, "V", 3480, 2640},
    {48, "B", 4080, 2640},
    {49, "N", 4680, 2640},
    {50, "M", 5280, 2640},
    {51, ",", 5880, 2640, kSerifLarge},
    {52, ".", 6480, 2640, kSerifLarge},
    {53, "/", 7080, 2640},
    {54, "Shift", 7680, 2640, kWindowFont, 1215},
    {200, "Up", 9960, 2640},
    {79, "1", 11400, 2640},
    {80, "2", 12000, 2640},
    {81, "3", 12600, 2640, kSerifSmall},
    {156, "Enter", 13200, 2640, kSerif, 495, 1095},
    {29, "Ctrl", 0, 3240, kWindowFont, 735},
    {219, "", 840, 3240, kWindowFont, 735, 495, kButtonFace, KeyPicture::WindowsFlag},
    {56, "Alt", 1680, 3240, kWindowFont, 735},
    {57, "Space Bar", 2520, 3240, kWindowFont, 3015},
    {184, "Alt", 5640, 3240, kWindowFont, 735},
    {220, "", 6480, 3240, kWindowFont, 735, 495, kButtonFace, KeyPicture::WindowsFlag},
    {221, "", 7320, 3240, kWindowFont, 735, 495, kButtonFace, KeyPicture::Menu},
    {157, "Ctrl", 8160, 3240, kWindowFont, 735},
    {203, "Left", 9360, 3240},
    {208, "Down", 9960, 3240, kSerifSmall},
    {205, "Right", 10560, 3240},
    {82, "0", 11400, 3240, kSerif, 1095},
    {83, ".", 12600, 3240, kSerifLarge},
    {1, "key 1", 0, 3720, kWindowFont, 615, 375, kButtonFace, KeyPicture::None, false},
};
static_assert(std::size(kKeyRows) == kKeyButtonCount);

constexpr int kFirstKeyTabIndex = 3;

constexpr std::array<KeyDesc, kKeyButtonCount> MakeKeys() {
  std::array<KeyDesc, kKeyButtonCount> keys{};
  for (std::size_t i = 0; i < keys.size(); ++i) {
    const KeyRow& row = kKeyRows[i];
    keys[i] = {row.index, row.caption, row.left, row.top, row.width, row.height, row.font, row.graphical,
               row.backColor, row.picture, kFirstKeyTabIndex + static_cast<int>(i)};
  }
  return keys;
}
constexpr std::array<KeyDesc, kKeyButtonCount> kKeys = MakeKeys();

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

}  // namespace lumio
