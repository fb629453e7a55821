// Everything the platform gives the core, handed over in one piece.
#pragma once

#include "seam/desktop_icons.h"
#include "seam/instance_guard.h"
#include "seam/keyboard_device.h"
#include "seam/lock_key_source.h"
#include "seam/program_environment.h"
#include "seam/screen_surface.h"
#include "seam/window_system.h"

namespace lumio {

struct Platform {
  WindowSystem& window;
  KeyboardDevice& keyboard;
  LockKeySource& lockKeys;
  ScreenSurface& screen;
  DesktopIcons& icons;
  InstanceGuard& instance;
  ProgramEnvironment& environment;
};

}  // namespace lumio
