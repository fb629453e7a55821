// A stand-in for the shell's desktop-icon window: a visible top-level window
// of class "Progman", titled by the first argument, kept until it is closed
// or the process is killed. Prints "ready" once it is on the screen, and
// "key N" for each key that reaches it with the focus. With a second
// argument, a file name, it answers nothing (as a hung Explorer) until that
// file exists, then prints "answering".
#include <cstdio>
#include <string>

#include "platform/win32/win32_api.h"

namespace {

LRESULT CALLBACK LogKeys(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_KEYDOWN) {
    std::printf("key %u\n", static_cast<unsigned>(wParam));
    std::fflush(stdout);
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string title = argc > 1 ? argv[1] : "lumio test progman";
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = LogKeys;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
  windowClass.lpszClassName = "Progman";
  if (RegisterClassExA(&windowClass) == 0) return 2;
  // Away from where the tests look for green text.
  const HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, "Progman", title.c_str(), WS_POPUP | WS_BORDER, 1000, 700,
                                      200, 120, nullptr, nullptr, windowClass.hInstance, nullptr);
  if (window == nullptr) return 3;
  ShowWindow(window, SW_SHOWNOACTIVATE);
  UpdateWindow(window);
  std::printf("ready\n");
  std::fflush(stdout);
  if (argc > 2) {
    while (GetFileAttributesA(argv[2]) == INVALID_FILE_ATTRIBUTES) Sleep(50);
    std::printf("answering\n");
    std::fflush(stdout);
  }
  MSG message;
  while (IsWindow(window) && GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
