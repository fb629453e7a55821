#include "platform/win32/message_loop.h"

#include <algorithm>
#include <set>

namespace lumio::win32 {

namespace {

void Dispatch(HWND dialog, MSG& message) {
  if (dialog != nullptr && IsDialogMessageA(dialog, &message)) return;
  TranslateMessage(&message);
  DispatchMessageA(&message);
}

}  // namespace

void MessageLoop::watch(HANDLE handle, std::function<void()> signalled) {
  const auto found = std::find(handles_.begin(), handles_.end(), handle);
  if (found != handles_.end()) {
    signalled_[static_cast<std::size_t>(found - handles_.begin())] = std::move(signalled);
  } else if (handles_.size() < MAXIMUM_WAIT_OBJECTS - 1) {
    handles_.push_back(handle);
    signalled_.push_back(std::move(signalled));
  }
}

void MessageLoop::unwatch(HANDLE handle) {
  const auto found = std::find(handles_.begin(), handles_.end(), handle);
  if (found == handles_.end()) return;
  signalled_.erase(signalled_.begin() + (found - handles_.begin()));
  handles_.erase(found);
}

void MessageLoop::run(HWND dialog, const std::function<bool()>& ended) {
  MSG message;
  while (!ended()) {
    if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) return;
      Dispatch(dialog, message);
      continue;
    }
    const auto count = static_cast<DWORD>(handles_.size());
    const DWORD woke =
        MsgWaitForMultipleObjectsEx(count, handles_.data(), INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (woke < WAIT_OBJECT_0 + count) {
      const std::function<void()> signalled = signalled_[woke - WAIT_OBJECT_0];  // it may unwatch
      if (signalled) signalled();
    } else if (woke == WAIT_FAILED) {
      // A handle gone bad: nobody may be left asleep waiting on it. Every
      // watcher hears of a change, and we look again 20 ms later.
      for (const std::function<void()>& signalled : std::vector(signalled_))
        if (signalled) signalled();
      MsgWaitForMultipleObjectsEx(0, nullptr, 20, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
  }
}

void MessageLoop::DispatchWaiting(HWND dialog) {
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
