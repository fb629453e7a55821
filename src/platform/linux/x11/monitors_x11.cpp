#include "platform/linux/x11/monitors_x11.h"

#include <X11/extensions/Xrandr.h>

namespace lumio::x11 {

ScreenArea ChooseScreen(const std::vector<Monitor>& monitors, const ScreenArea& root) {
  const Monitor* chosen = nullptr;
  for (const Monitor& monitor : monitors) {
    if (monitor.area.width <= 0 || monitor.area.height <= 0) continue;
    if (chosen == nullptr || (monitor.primary && !chosen->primary)) chosen = &monitor;
  }
  return chosen != nullptr ? chosen->area : root;
}

ScreenArea PrimaryMonitor(Display* display) {
  const int screen = DefaultScreen(display);
  const ScreenArea root{0, 0, DisplayWidth(display, screen), DisplayHeight(display, screen)};
  int eventBase = 0, errorBase = 0, major = 0, minor = 0;
  // libXrandr keeps the version once asked: only the monitors cost a request.
  if (!XRRQueryExtension(display, &eventBase, &errorBase) || !XRRQueryVersion(display, &major, &minor) ||
      major < 1 || (major == 1 && minor < 5))
    return root;
  int count = 0;
  XRRMonitorInfo* infos = XRRGetMonitors(display, RootWindow(display, screen), True, &count);
  std::vector<Monitor> monitors;
  for (int i = 0; i < count; ++i)
    monitors.push_back({{infos[i].x, infos[i].y, infos[i].width, infos[i].height}, infos[i].primary != 0});
  if (infos != nullptr) XRRFreeMonitors(infos);
  return ChooseScreen(monitors, root);
}

}  // namespace lumio::x11
