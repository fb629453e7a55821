#include "platform/win32/desktop_icons_win32.h"

#include "platform/win32/win32_api.h"

namespace lumio::win32 {

void Win32DesktopIcons::setVisible(bool visible) {
  // Looked up every time: Explorer may have been restarted since. Never
  // waited for: ShowWindow on another program's window waits until that
  // program answers, and a hung Explorer would hang us with it.
  const HWND progman = FindWindowExA(nullptr, nullptr, "Progman", nullptr);
  if (progman != nullptr) ShowWindowAsync(progman, visible ? SW_SHOW : SW_HIDE);
}

}  // namespace lumio::win32
