#include "platform/win32/window_dpi.h"

namespace lumio::win32 {

namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);

RECT OuterRect(int clientWidth, int clientHeight, int dpi) {
  RECT rect{0, 0, clientWidth, clientHeight};
  if (const auto adjust = FindSystemFunction<AdjustWindowRectExForDpiFn>("user32.dll", "AdjustWindowRectExForDpi"))
    adjust(&rect, kMainStyle, FALSE, kMainExStyle, static_cast<UINT>(dpi));
  else
    AdjustWindowRectEx(&rect, kMainStyle, FALSE, kMainExStyle);
  return rect;
}

}  // namespace

int DpiOf(HWND window) {
  if (const auto forWindow = FindSystemFunction<GetDpiForWindowFn>("user32.dll", "GetDpiForWindow")) {
    const UINT dpi = forWindow(window);
    if (dpi != 0) return static_cast<int>(dpi);
  }
  const HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

void PlaceMainWindow(HWND window, int clientWidth, int clientHeight, int dpi, const RECT* suggested) {
  const RECT outer = OuterRect(clientWidth, clientHeight, dpi);
  const int width = outer.right - outer.left;
  const int height = outer.bottom - outer.top;
  if (suggested != nullptr) {
    SetWindowPos(window, nullptr, suggested->left, suggested->top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    return;
  }
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor) != 0) area = monitor.rcMonitor;
  const int left = area.left + ((area.right - area.left) - width) / 2;
  const int top = area.top + ((area.bottom - area.top) - height) / 2;
  SetWindowPos(window, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace lumio::win32
