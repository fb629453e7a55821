// The lock lights of every keyboard, as the kernel shows them in a folder
// laid out like /sys/class/leds: one entry <device>::capslock (::numlock,
// ::scrolllock) per light, holding a file `brightness`. In a Wayland session
// the compositor sets them on every keyboard from its own lock state,
// whichever window has the focus; XWayland, through which we see the
// keyboard there, hears only keys typed into X11 windows.
//
// The kernel wakes no poll() or inotify waiter when a light changes, so each
// light is kept open and read at every check. Keyboards plugged in or taken
// away are found by looking into the folder again when udev tells of them.
// Nothing here fails: a light that holds anything but a number is skipped,
// and one that can no longer be read is gone with its keyboard.
#pragma once

#include <sys/types.h>

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
  // Looks into the folder at once; a folder that is missing or unreadable
  // holds no keyboard until a later look finds one.
  explicit KeyboardLights(std::filesystem::path folder);
  ~KeyboardLights();
  KeyboardLights(const KeyboardLights&) = delete;
  KeyboardLights& operator=(const KeyboardLights&) = delete;

  // Keyboards plugged in or taken away: the lights already open stay open.
  void lookIntoFolder();

  // One check: reads every Caps Lock light. True when some keyboard's light
  // is lit or dark where the previous read of it found the opposite, unless
  // it merely came to agree with every other keyboard's light as it was: a
  // keyboard just plugged in, which the compositor sets to the lock it
  // already has. The first read of a light only learns its state.
  bool capsLockChanged();

  // Whether the lock's light is lit on any keyboard, read now; nothing when
  // no keyboard has a readable light for it.
  std::optional<bool> lit(LockKey key);

  // How many keyboards have a Caps Lock light that could be read.
  std::size_t keyboardsWithCapsLockLight() const;

 private:
  struct Light {
    std::string entry;  // the folder entry's name, e.g. input3::capslock
    LockKey key;
    int fd;
    dev_t device;
    ino_t inode;
    std::optional<bool> lastLit;  // the last state read, for Caps Lock's changes
    std::optional<bool> readNow;  // what the check under way read
    bool gone;                    // the check's read failed
  };

  std::filesystem::path folder_;
  std::vector<Light> lights_;
};

// The light's file reads as a lit or a dark light: a decimal number and
// perhaps a newline, as the kernel writes it. Nothing for anything else.
std::optional<bool> LightFromText(const char* text, std::size_t length);

}  // namespace lumio::os
