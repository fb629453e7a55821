// Lumio - Caps Lock on X11: the backend's objects around the portable form.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>

#include "keymonitor/error_messages.h"
#include "keymonitor/form_layout.h"
#include "keymonitor/frm_osd.h"
#include "platform/linux/os/program_environment_linux.h"
#include "platform/linux/wayland/wayland_session.h"
#include "platform/linux/x11/desktop_icons_x11.h"
#include "platform/linux/x11/instance_guard_x11.h"
#include "platform/linux/x11/keyboard_x11.h"
#include "platform/linux/x11/lock_keys_x11.h"
#include "platform/linux/x11/message_box_x11.h"
#include "platform/linux/x11/screen_surface_x11.h"
#include "platform/linux/x11/window_system_x11.h"
#include "platform/linux/x11/x11_display.h"

int main() {
  using namespace lumio::x11;
  using lumio::os::KeyboardLights;
  using lumio::os::LinuxProgramEnvironment;
  using lumio::wayland::WaylandDisplayName;
  using lumio::wayland::WaylandSessionLine;
  Display* display = SharedDisplay();
  if (display == nullptr) {
    const char* name = std::getenv("DISPLAY");
    std::fprintf(stderr, "lumio-capslock: cannot open the X display %s\n",
                 name != nullptr && name[0] != '\0' ? name : "(DISPLAY is not set)");
    return 1;
  }
  // Under Wayland our display is XWayland's, which hears only the keys typed
  // into X11 windows; the keyboard lights tell of Caps Lock in every window.
  const char* wayland = WaylandDisplayName();
  try {
    X11WindowSystem window(display);
    auto lights = wayland != nullptr ? std::make_unique<KeyboardLights>(lumio::os::kKeyboardLightsFolder) : nullptr;
    if (wayland != nullptr)
      std::fprintf(stderr, "%s\n", WaylandSessionLine(wayland, lights->keyboardsWithCapsLockLight()).c_str());
    const std::unique_ptr<PressedKeys> keys = OpenPressedKeys(display);
    X11KeyboardDevice keyboard(*keys, lights.get());
    X11LockKeySource lockKeys(display, *keys, lights.get());
    X11ScreenSurface screen(display);
    X11DesktopIcons icons(display);
    X11InstanceGuard instance(display);
    LinuxProgramEnvironment environment;
    const lumio::Platform platform{window, keyboard, lockKeys, screen, icons, instance, environment};
    lumio::frmOSD form(platform);
    return form.run();
  } catch (...) {
    // Only what the window itself could not report gets here.
    const std::string text = lumio::EscapedErrorText(std::current_exception());
    std::fprintf(stderr, "lumio-capslock: %s\n", text.c_str());
    ShowMessageBox(text, lumio::MessageIcon::Stop, lumio::kAppTitle);
    return 1;
  }
}
