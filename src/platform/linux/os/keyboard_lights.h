// The lock lights of every keyboard, as the kernel shows them in a folder
// laid out like /sys/class/leds: one entry <device>::capslock (::numlock,
// ::scrolllock) per light, holding a file `brightness`. In a Wayland session
// the compositor sets them on every keyboard from its own lock state,
// whichever window has the focus; XWayland, through which we see the
// keyboard there, hears only keys typed into X11 windows.
//
// The kernel wakes no poll() or inotify waiter when a light changes, so each
// light is kept open and read at every poll. Keyboards plugged in or taken
// away are found by looking into the folder again now and then, not at every
// poll. Nothing here fails: a light that cannot be read, or holds anything
// but a number, is skipped.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "seam/lock_key_source.h"

namespace lumio::os {

// Where the kernel shows every keyboard's lights.
inline constexpr const char* kKeyboardLightsFolder = "/sys/class/leds";

class KeyboardLights {
 public:
  using Clock = std::chrono::steady_clock;
  // The longest a keyboard plugged in or taken away goes unnoticed.
  static constexpr std::chrono::milliseconds kLookAgainAfter{2000};

  // Looks into the folder at once; a folder that is missing or unreadable
  // holds no keyboard until a later look finds one.
  explicit KeyboardLights(std::filesystem::path folder, Clock::time_point now = Clock::now());
  ~KeyboardLights();
  KeyboardLights(const KeyboardLights&) = delete;
  KeyboardLights& operator=(const KeyboardLights&) = delete;

  // One poll: reads every Caps Lock light (looking into the folder first
  // when the last look is kLookAgainAfter old). True when some keyboard's
  // light is lit or dark where the previous read of it found the opposite.
  // The first read of a light only learns its state.
  bool capsLockChanged(Clock::time_point now);

  // Whether the lock's light is lit on any keyboard, read now; nothing when
  // no keyboard has a readable light for it.
  std::optional<bool> lit(LockKey key);

  // How many keyboards had a Caps Lock light at the last look.
  std::size_t keyboardsWithCapsLockLight() const;

 private:
  struct Light {
    std::string entry;  // the folder entry's name, e.g. input3::capslock
    LockKey key;
    int fd;
    dev_t device;
    ino_t inode;
    std::optional<bool> lastLit;  // the last state read, for Caps Lock's changes
  };

  void lookIntoFolder(Clock::time_point now);

  std::filesystem::path folder_;
  std::vector<Light> lights_;
  Clock::time_point lookedAt_;
};

// The light's file reads as a lit or a dark light: a decimal number and
// perhaps a newline, as the kernel writes it. Nothing for anything else.
std::optional<bool> LightFromText(const char* text, std::size_t length);

}  // namespace lumio::os
