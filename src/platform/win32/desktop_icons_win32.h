// The desktop icons live in the shell's "Progman" window: hiding it hides
// them all.
#pragma once

#include "seam/desktop_icons.h"

namespace lumio::win32 {

class Win32DesktopIcons final : public DesktopIcons {
 public:
  void setVisible(bool visible) override;
};

}  // namespace lumio::win32
