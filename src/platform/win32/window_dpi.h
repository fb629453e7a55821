// The main window at a DPI: which DPI it has, and its outer size and place
// for a client area of so many pixels. The manifest asks for per-monitor
// awareness; the functions for it are looked up at run time, so Windows
// before 10 gets the screen's DPI instead.
#pragma once

#include "platform/win32/win32_api.h"

namespace lumio::win32 {

// A fixed single border with a close box, no minimize or maximize box.
inline constexpr DWORD kMainStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
inline constexpr DWORD kMainExStyle = 0;

// The window's own DPI on Windows 10 and later; the screen's before that.
int DpiOf(HWND window);

// Sizes the main window around a client area of this many pixels at dpi.
// With `suggested` (WM_DPICHANGED's rectangle) it goes to that place;
// without, it is centred on the whole screen of the monitor it is on.
void PlaceMainWindow(HWND window, int clientWidth, int clientHeight, int dpi, const RECT* suggested);

}  // namespace lumio::win32
