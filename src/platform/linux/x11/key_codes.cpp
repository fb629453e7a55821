#include "platform/linux/x11/key_codes.h"

#include <array>

namespace lumio::x11 {

namespace {

constexpr int kEvdevOffset = 8;
constexpr int kCapsLockDik = 58;

struct Extended {
  int evdev;
  int dik;
};

// Keys whose evdev code is not their DirectInput code: everything the
// keyboard sends with an E0 prefix, the F11/F12 block and a few extras.
constexpr Extended kExtended[] = {
    {86, 0x56},   // 102nd key (< > |)
    {87, 0x57},   // F11
    {88, 0x58},   // F12
    {89, 0x73},   // Ro (Brazilian / Japanese)
    {92, 0x79},   // Henkan
    {93, 0x70},   // Katakana/Hiragana
    {94, 0x7B},   // Muhenkan
    {96, 0x9C},   // keypad Enter
    {97, 0x9D},   // right Ctrl
    {98, 0xB5},   // keypad /
    {99, 0xB7},   // Print Screen / SysRq
    {100, 0xB8},  // right Alt (AltGr)
    {102, 0xC7},  // Home
    {103, 0xC8},  // Up
    {104, 0xC9},  // Page Up
    {105, 0xCB},  // Left
    {106, 0xCD},  // Right
    {107, 0xCF},  // End
    {108, 0xD0},  // Down
    {109, 0xD1},  // Page Down
    {110, 0xD2},  // Insert
    {111, 0xD3},  // Delete
    {113, 0xA0},  // Mute
    {114, 0xAE},  // Volume Down
    {115, 0xB0},  // Volume Up
    {116, 0xDE},  // Power
    {117, 0x8D},  // keypad =
    {119, 0xC5},  // Pause
    {121, 0xB3},  // keypad , (Brazilian)
    {124, 0x7D},  // Yen
    {125, 0xDB},  // left Windows
    {126, 0xDC},  // right Windows
    {127, 0xDD},  // Menu (Apps)
    {140, 0xA1},  // Calculator
    {142, 0xDF},  // Sleep
    {143, 0xE3},  // Wake
    {155, 0xEC},  // Mail
    {157, 0xEB},  // My Computer
    {158, 0xEA},  // Web Back
    {159, 0xE9},  // Web Forward
    {163, 0x99},  // Next Track
    {164, 0xA2},  // Play/Pause
    {165, 0x90},  // Previous Track
    {166, 0xA4},  // Media Stop
    {172, 0xB2},  // Web Home
    {173, 0xE7},  // Web Refresh
    {183, 0x64},  // F13
    {184, 0x65},  // F14
    {185, 0x66},  // F15
    {217, 0xE5},  // Web Search
    {226, 0xED},  // Media Select
};

constexpr std::array<std::uint8_t, 256> MakeTable() {
  std::array<std::uint8_t, 256> table{};
  // Escape (1) to keypad . (83): evdev code and scan code agree.
  for (int evdev = 1; evdev <= 83; ++evdev) table[static_cast<std::size_t>(evdev + kEvdevOffset)] = static_cast<std::uint8_t>(evdev);
  for (const Extended& key : kExtended)
    table[static_cast<std::size_t>(key.evdev + kEvdevOffset)] = static_cast<std::uint8_t>(key.dik);
  return table;
}

constexpr std::array<std::uint8_t, 256> kTable = MakeTable();

}  // namespace

int DikFromXKeycode(int xKeycode) {
  if (xKeycode < 0 || xKeycode > 255) return 0;
  return kTable[static_cast<std::size_t>(xKeycode)];
}

int XKeycodeFromDik(int dik) {
  if (dik <= 0) return 0;
  for (int code = 0; code < 256; ++code)
    if (kTable[static_cast<std::size_t>(code)] == dik) return code;
  return 0;
}

KeycodeSet KeysAtCapsLockPlace() {
  KeycodeSet keys;
  for (std::size_t code = 0; code < kTable.size(); ++code) keys[code] = kTable[code] == kCapsLockDik;
  return keys;
}

void TranslateKeymap(const char (&keys)[32], const KeycodeSet& capsLock, KeyboardState& state) {
  state.fill(0);
  for (int byte = 0; byte < 32; ++byte) {
    const auto bits = static_cast<unsigned char>(keys[byte]);
    if (bits == 0) continue;
    for (int bit = 0; bit < 8; ++bit) {
      if ((bits & (1u << bit)) == 0) continue;
      const auto code = static_cast<std::size_t>(byte * 8 + bit);
      int dik = kTable[code];
      if (capsLock[code])
        dik = kCapsLockDik;
      else if (dik == kCapsLockDik)
        dik = 0;  // Caps Lock's place, made something else
      if (dik != 0) state[static_cast<std::size_t>(dik)] = 128;
    }
  }
}

}  // namespace lumio::x11
