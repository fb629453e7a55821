#include "e2e/e2e_support.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdlib>

namespace lumio::testing::e2e {

std::filesystem::path ProgramExecutable() {
  if (const char* overridden = std::getenv("LUMIO_EXE"); overridden != nullptr && *overridden != '\0')
    return overridden;
  return LUMIO_EXE;
}

std::string DefaultKeyListBytes() {
  std::string bytes;
  for (int code = 1; code <= 83; ++code) bytes += std::to_string(code) + "\r\n";
  for (int code : {88, 156, 157, 181, 183, 184, 197, 199, 200, 201, 203, 205, 207, 208, 209, 210, 211, 219, 220, 221})
    bytes += std::to_string(code) + "\r\n";
  return bytes;
}

namespace {

bool Viewable(Display* dpy, ::Window window) {
  XWindowAttributes attrs{};
  return XGetWindowAttributes(dpy, window, &attrs) != 0 && attrs.map_state == IsViewable;
}

void CollectTitled(Display* dpy, ::Window window, const std::string& title, int depth, std::vector<::Window>& found) {
  for (::Window child : ChildrenOf(dpy, window)) {
    if (TitleOf(dpy, child) == title) {
      if (Viewable(dpy, child)) found.push_back(child);
    } else if (depth < 3) {
      CollectTitled(dpy, child, title, depth + 1, found);
    }
  }
}

}  // namespace

std::vector<::Window> ViewableWindowsTitled(const XScreen& screen, const std::string& title) {
  std::vector<::Window> found;
  CollectTitled(screen.display(), screen.root(), title, 1, found);
  return found;
}

std::vector<::Window> ViewableTopLevels(const XScreen& screen) {
  std::vector<::Window> viewable;
  for (::Window child : ChildrenOf(screen.display(), screen.root()))
    if (Viewable(screen.display(), child)) viewable.push_back(child);
  return viewable;
}

std::vector<::Window> MessageBoxes(const XScreen& screen, const std::set<::Window>& known) {
  std::vector<::Window> boxes;
  for (::Window w : ViewableTopLevels(screen)) {
    XWindowAttributes attributes{};
    if (known.count(w) == 0 && XGetWindowAttributes(screen.display(), w, &attributes) != 0 &&
        !attributes.override_redirect)
      boxes.push_back(w);
  }
  return boxes;
}

void RepaintRoot(const XScreen& screen) {
  XClearArea(screen.display(), screen.root(), 0, 0, 0, 0, True);
  XSync(screen.display(), False);
}

GreenArea FindGreen(const ScreenImage& image) {
  GreenArea area;
  area.rowCounts.assign(static_cast<std::size_t>(image.height), 0);
  for (int py = 0; py < image.height; ++py)
    for (int px = 0; px < image.width; ++px) {
      if (!IsOverlayGreen(image.at(px, py))) continue;
      const int sx = image.x + px, sy = image.y + py;
      if (area.count == 0) {
        area.left = area.right = sx;
        area.top = area.bottom = sy;
      }
      ++area.count;
      ++area.rowCounts[static_cast<std::size_t>(py)];
      area.left = std::min(area.left, sx);
      area.right = std::max(area.right, sx);
      area.top = std::min(area.top, sy);
      area.bottom = std::max(area.bottom, sy);
    }
  return area;
}

GreenArea GrabGreen(const XScreen& screen, int x, int y, int width, int height) {
  return FindGreen(screen.grab(x, y, width, height));
}

std::optional<int> FirstGreenRow(const GreenArea& area, int imageTop, int from, int to) {
  for (int y = from; y < to; ++y) {
    const int row = y - imageTop;
    if (row < 0 || row >= static_cast<int>(area.rowCounts.size())) continue;
    if (area.rowCounts[static_cast<std::size_t>(row)] > 0) return y;
  }
  return std::nullopt;
}

}  // namespace lumio::testing::e2e
