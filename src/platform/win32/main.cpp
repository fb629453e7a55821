// The Windows program: the Win32 pieces handed to the main window, which
// runs until the user closes it.
#include <exception>
#include <string>

#include "keymonitor/error_messages.h"
#include "keymonitor/form_layout.h"
#include "keymonitor/frm_osd.h"
#include "platform/win32/desktop_icons_win32.h"
#include "platform/win32/instance_guard_win32.h"
#include "platform/win32/keyboard_win32.h"
#include "platform/win32/lock_keys_win32.h"
#include "platform/win32/message_loop.h"
#include "platform/win32/program_environment_win32.h"
#include "platform/win32/res/resource_ids.h"
#include "platform/win32/screen_surface_win32.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/window_system_win32.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*commandLine*/, int /*show*/) {
  using namespace lumio::win32;
  try {
    // The loop outlives everything that waits in it, the window the
    // keyboard device bound to it.
    MessageLoop loop;
    Win32WindowSystem window(instance, loop, IDI_LUMIO);
    Win32KeyboardDevice keyboard(instance, loop);
    Win32LockKeySource lockKeys;
    Win32ScreenSurface screen;
    Win32DesktopIcons icons;
    Win32InstanceGuard instanceGuard;
    Win32ProgramEnvironment environment(loop);
    const lumio::Platform platform{window, keyboard, lockKeys, screen, icons, instanceGuard, environment};
    lumio::frmOSD form(platform);
    return form.run();
  } catch (...) {
    // Only what the window itself could not report gets here.
    MessageBoxA(nullptr, lumio::EscapedErrorText(std::current_exception()).c_str(),
                std::string(lumio::kAppTitle).c_str(), MB_OK | MB_ICONSTOP);
    return 1;
  }
}
