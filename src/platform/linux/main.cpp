// Lumio - Caps Lock on Linux: the backend's objects around the portable form.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>

#include "keymonitor/error_messages.h"
#include "keymonitor/form_layout.h"
#include "keymonitor/frm_osd.h"
#include "platform/linux/os/program_environment_linux.h"
#include "platform/linux/wayland/screen_surface_wayland.h"
#include "platform/linux/wayland/wayland_connection.h"
#include "platform/linux/wayland/wayland_session.h"
#include "platform/linux/x11/desktop_icons_x11.h"
#include "platform/linux/x11/instance_guard_x11.h"
#include "platform/linux/x11/keyboard_x11.h"
#include "platform/linux/x11/lock_keys_x11.h"
#include "platform/linux/x11/message_box_x11.h"
#include "platform/linux/x11/monitors_x11.h"
#include "platform/linux/x11/screen_surface_x11.h"
#include "platform/linux/x11/window_system_x11.h"
#include "platform/linux/x11/x11_display.h"

int main() {
  using namespace lumio::x11;
  using lumio::os::LinuxProgramEnvironment;
  using lumio::wayland::FollowCapsLock;
  using lumio::wayland::TextsWay;
  using lumio::wayland::WaylandConnection;
  using lumio::wayland::WaylandDisplayName;
  using lumio::wayland::WaylandScreenSurface;
  Display* display = SharedDisplay();
  if (display == nullptr) {
    const char* name = std::getenv("DISPLAY");
    std::fprintf(stderr, "lumio-capslock: cannot open the X display %s\n",
                 name != nullptr && name[0] != '\0' ? name : "(DISPLAY is not set)");
    return 1;
  }
  // Under Wayland our display is XWayland's, which hears only the keys typed
  // into X11 windows; KWin's lock state, or else the keyboard lights, tell
  // of Caps Lock in every window.
  const char* wayland = WaylandDisplayName();
  try {
    X11WindowSystem window(display);
    auto connection = wayland != nullptr ? WaylandConnection::Connect(wayland) : nullptr;
    const auto lock = wayland != nullptr ? FollowCapsLock(wayland, connection.get()) : nullptr;
    const std::unique_ptr<PressedKeys> keys = OpenPressedKeys(display);
    X11KeyboardDevice keyboard(*keys, lock.get());
    X11LockKeySource lockKeys(display, *keys, lock.get());
    // A compositor with a layer shell shows the texts on its overlay layer,
    // where clicks pass through them; XWayland windows do not let them
    // through everywhere.
    X11ScreenSurface xScreen(display);
    const auto primaryMonitor = [display] {
      const NamedMonitor primary = PrimaryMonitorNamed(display);
      return lumio::wayland::MonitorPlace{primary.name, primary.area.x, primary.area.y, primary.area.width,
                                          primary.area.height};
    };
    auto layerScreen = connection != nullptr ? WaylandScreenSurface::Create(*connection, xScreen, primaryMonitor)
                                             : nullptr;
    if (wayland != nullptr) {
      const TextsWay way = layerScreen != nullptr  ? TextsWay::LayerShell
                           : connection != nullptr ? TextsWay::NoLayerShell
                                                   : TextsWay::NoConnection;
      std::fprintf(stderr, "%s\n", lumio::wayland::TextsLine(way).c_str());
    }
    lumio::ScreenSurface& screen = layerScreen != nullptr ? static_cast<lumio::ScreenSurface&>(*layerScreen) : xScreen;
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
