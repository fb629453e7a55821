#include "platform/linux/wayland/wayland_session.h"

#include <cstdlib>

#include "platform/linux/os/keyboard_lights.h"

namespace lumio::wayland {

const char* WaylandDisplayName() {
  const char* name = std::getenv("WAYLAND_DISPLAY");
  return name != nullptr && name[0] != '\0' ? name : nullptr;
}

std::string WaylandSessionLine(const char* waylandDisplay, std::size_t keyboardsWithLights) {
  const std::string session =
      std::string("lumio-capslock: Wayland session (WAYLAND_DISPLAY=") + waylandDisplay + "): ";
  if (keyboardsWithLights == 0)
    return session + "no keyboard lights in " + os::kKeyboardLightsFolder +
           ", so the program sees nothing while a Wayland window has the focus: Caps Lock is announced only when "
           "pressed in an X11 window";
  return session + "Caps Lock is followed through the lights of " + std::to_string(keyboardsWithLights) +
         (keyboardsWithLights == 1 ? " keyboard" : " keyboards") + " in " + os::kKeyboardLightsFolder +
         ", whichever window has the focus";
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
