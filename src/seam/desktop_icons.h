// The window that holds the desktop icons, looked up anew on every call.
#pragma once

namespace lumio {

class DesktopIcons {
 public:
  virtual ~DesktopIcons() = default;
  // Hides or shows it. No such window: nothing happens and nothing is said.
  virtual void setVisible(bool visible) = 0;
};

}  // namespace lumio
