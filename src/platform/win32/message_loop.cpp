#include "platform/win32/message_loop.h"

#include <set>

namespace lumio::win32 {

namespace {

void Dispatch(HWND dialog, MSG& message) {
  if (dialog != nullptr && IsDialogMessageA(dialog, &message)) return;
  TranslateMessage(&message);
  DispatchMessageA(&message);
}

}  // namespace

void RunMessages(HWND dialog, const std::function<bool()>& ended) {
  MSG message;
  while (!ended()) {
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0 || got == -1) return;  // WM_QUIT, or nothing left to wait on
    Dispatch(dialog, message);
  }
}

void DispatchWaiting(HWND dialog) {
  std::set<UINT_PTR> timersSeen;
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
    if (message.message == WM_QUIT) break;
    if (message.message == WM_TIMER && message.hwnd == dialog && !timersSeen.insert(message.wParam).second) break;
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) break;
    Dispatch(dialog, message);
  }
}

}  // namespace lumio::win32
