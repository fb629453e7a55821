#include "platform/linux/x11/monitors_x11.h"

#include <X11/extensions/Xrandr.h>

#include <utility>

namespace lumio::x11 {

namespace {

const Monitor* Choose(const std::vector<Monitor>& monitors) {
  const Monitor* chosen = nullptr;
  for (const Monitor& monitor : monitors) {
    if (monitor.area.width <= 0 || monitor.area.height <= 0) continue;
    if (chosen == nullptr || (monitor.primary && !chosen->primary)) chosen = &monitor;
  }
  return chosen;
}

ScreenArea RootArea(Display* display) {
  const int screen = DefaultScreen(display);
  return {0, 0, DisplayWidth(display, screen), DisplayHeight(display, screen)};
}

// What RandR 1.5 reports now, names as atoms; nothing without RandR 1.5.
std::vector<std::pair<Monitor, Atom>> Monitors(Display* display) {
  int eventBase = 0, errorBase = 0, major = 0, minor = 0;
  // libXrandr keeps the version once asked: only the monitors cost a request.
  if (!XRRQueryExtension(display, &eventBase, &errorBase) || !XRRQueryVersion(display, &major, &minor) ||
      major < 1 || (major == 1 && minor < 5))
    return {};
  int count = 0;
  XRRMonitorInfo* infos = XRRGetMonitors(display, DefaultRootWindow(display), True, &count);
  std::vector<std::pair<Monitor, Atom>> monitors;
  for (int i = 0; i < count; ++i)
    monitors.push_back({{{infos[i].x, infos[i].y, infos[i].width, infos[i].height}, infos[i].primary != 0},
                        infos[i].name});
  if (infos != nullptr) XRRFreeMonitors(infos);
  return monitors;
}

}  // namespace

ScreenArea ChooseScreen(const std::vector<Monitor>& monitors, const ScreenArea& root) {
  const Monitor* chosen = Choose(monitors);
  return chosen != nullptr ? chosen->area : root;
}

ScreenArea PrimaryMonitor(Display* display) {
  std::vector<Monitor> monitors;
  for (auto& [monitor, name] : Monitors(display)) monitors.push_back(std::move(monitor));
  return ChooseScreen(monitors, RootArea(display));
}

NamedMonitor PrimaryMonitorNamed(Display* display) {
  const auto named = Monitors(display);
  std::vector<Monitor> monitors;
  for (const auto& [monitor, name] : named) monitors.push_back(monitor);
  const Monitor* chosen = Choose(monitors);
  if (chosen == nullptr) return {RootArea(display), {}};
  NamedMonitor result{chosen->area, {}};
  const Atom atom = named[static_cast<std::size_t>(chosen - monitors.data())].second;
  if (char* text = atom != 0 ? XGetAtomName(display, atom) : nullptr; text != nullptr) {
    result.name = text;
    XFree(text);
  }
  return result;
}

}  // namespace lumio::x11
