// Whether we run inside a Wayland session, through XWayland, and what the
// program can see of the keyboard there.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "platform/linux/os/lock_watch.h"
#include "platform/linux/wayland/wayland_connection.h"

namespace lumio::wayland {

// $WAYLAND_DISPLAY when it is set and not empty, which is what a Wayland
// compositor gives the programs of its session; nullptr in an X11 session.
const char* WaylandDisplayName();

// What the program follows Caps Lock through there: the compositor's lock
// state where it offers it (KWin), else the keyboard lights.
struct LockSight {
  bool keystate = false;
  std::size_t keyboardsWithLights = 0;
  bool hearsPlugging = true;  // udev tells of keyboards plugged in
};

// The line said once on stderr at start in a Wayland session.
std::string WaylandSessionLine(const char* waylandDisplay, const LockSight& sight);
// Said when the compositor stops telling the lock state and the lights, if
// any, take over.
std::string KeystateLostLine(const LockSight& lightsLeft);
// Said when the last keyboard light is gone (blind) or the first is back.
std::string LightsSightLine(std::size_t keyboardsWithLights);

// Caps Lock in every window: KWin's lock state where the compositor offers
// it on `connection` (which must outlive the watch), else, or once it is
// lost, the keyboard lights. Says which on stderr, and later when the last
// light goes or the first comes back.
std::unique_ptr<os::LockWatch> FollowCapsLock(const char* waylandDisplay, WaylandConnection* connection);

// How the texts are drawn there, said once at start beside it.
enum class TextsWay { LayerShell, NoLayerShell, NoConnection };
std::string TextsLine(TextsWay way);

}  // namespace lumio::wayland
