#include "e2e/e2e_support.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

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

std::vector<::Window> ViewableTopLevels(const XScreen& screen) {
  std::vector<::Window> viewable;
  for (::Window child : ChildrenOf(screen.display(), screen.root()))
    if (screen.isViewable(child)) viewable.push_back(child);
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

}  // namespace lumio::testing::e2e
