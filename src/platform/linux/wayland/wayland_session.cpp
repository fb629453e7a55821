#include "platform/linux/wayland/wayland_session.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

#include "platform/linux/os/keyboard_lights.h"
#include "platform/linux/os/lights_watch.h"
#include "platform/linux/wayland/keystate_or_lights.h"
#include "platform/linux/wayland/keystate_watch.h"

namespace lumio::wayland {

const char* WaylandDisplayName() {
  const char* name = std::getenv("WAYLAND_DISPLAY");
  return name != nullptr && name[0] != '\0' ? name : nullptr;
}

namespace {

std::string Keyboards(std::size_t count) {
  return std::to_string(count) + (count == 1 ? " keyboard" : " keyboards") + " in " + os::kKeyboardLightsFolder;
}

// What the program sees of Caps Lock while a Wayland window has the focus.
std::string SightText(const LockSight& sight) {
  if (sight.keystate)
    return "Caps Lock is followed through the compositor's lock state (org_kde_kwin_keystate), whichever window has "
           "the focus";
  const std::string plugging =
      sight.hearsPlugging ? "" : "; udev does not answer, so keyboards plugged in later go unseen";
  if (sight.keyboardsWithLights == 0)
    return std::string("no keyboard lights in ") + os::kKeyboardLightsFolder +
           ", so the program sees nothing while a Wayland window has the focus: Caps Lock is announced only when "
           "pressed in an X11 window" + plugging;
  return "Caps Lock is followed through the lights of " + Keyboards(sight.keyboardsWithLights) +
         ", whichever window has the focus, read every 20 ms since nothing tells when they change" + plugging;
}

std::unique_ptr<os::LockWatch> FollowLights(LockSight& sight) {
  auto lights = std::make_unique<os::LightsWatch>(os::kKeyboardLightsFolder, [](std::size_t keyboards) {
    std::fprintf(stderr, "%s\n", LightsSightLine(keyboards).c_str());
  });
  sight.keyboardsWithLights = lights->keyboards();
  sight.hearsPlugging = lights->hearsPlugging();
  return lights;
}

}  // namespace

std::string WaylandSessionLine(const char* waylandDisplay, const LockSight& sight) {
  return std::string("lumio-capslock: Wayland session (WAYLAND_DISPLAY=") + waylandDisplay + "): " + SightText(sight);
}

std::string KeystateLostLine(const LockSight& lightsLeft) {
  return "lumio-capslock: the compositor no longer tells the lock state: " + SightText(lightsLeft);
}

std::string LightsSightLine(std::size_t keyboardsWithLights) {
  if (keyboardsWithLights == 0)
    return std::string("lumio-capslock: no keyboard light is left in ") + os::kKeyboardLightsFolder +
           ": Caps Lock pressed while a Wayland window has the focus goes unseen until a keyboard with lights is "
           "plugged in";
  return "lumio-capslock: Caps Lock is followed again through the lights of " + Keyboards(keyboardsWithLights);
}

std::unique_ptr<os::LockWatch> FollowCapsLock(const char* waylandDisplay, WaylandConnection* connection) {
  LockSight sight;
  std::unique_ptr<KeystateWatch> keystate = connection != nullptr ? KeystateWatch::Follow(*connection) : nullptr;
  std::unique_ptr<os::LockWatch> watch;
  if (keystate != nullptr) {
    sight.keystate = true;
    watch = std::make_unique<KeystateOrLights>(std::move(keystate), [] {
      LockSight left;
      std::unique_ptr<os::LockWatch> lights = FollowLights(left);
      std::fprintf(stderr, "%s\n", KeystateLostLine(left).c_str());
      return lights;
    });
  } else {
    watch = FollowLights(sight);
  }
  std::fprintf(stderr, "%s\n", WaylandSessionLine(waylandDisplay, sight).c_str());
  return watch;
}

std::string TextsLine(TextsWay way) {
  switch (way) {
    case TextsWay::LayerShell:
      return "lumio-capslock: texts are drawn on the compositor's overlay layer (zwlr_layer_shell_v1): every click "
             "passes through them";
    case TextsWay::NoLayerShell:
      return "lumio-capslock: texts are drawn as XWayland windows: the compositor offers no layer shell "
             "(zwlr_layer_shell_v1)";
    case TextsWay::NoConnection:
      break;
  }
  return "lumio-capslock: texts are drawn as XWayland windows: the compositor did not answer a connection of our own";
}

}  // namespace lumio::wayland
