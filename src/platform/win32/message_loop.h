// Our thread's messages to their windows, the dialog keys (Tab, Space) of
// the main window included, and the kernel objects the program waits on
// beside them: a change notification or an event watched here wakes the
// loop when it is signalled, and its function runs there. With nothing to
// do, the loop sleeps in MsgWaitForMultipleObjectsEx and costs nothing.
#pragma once

#include <functional>
#include <vector>

#include "platform/win32/win32_api.h"

namespace lumio::win32 {

class MessageLoop {
 public:
  // `signalled` runs from the loop each time the handle is found signalled;
  // it must take the signal away (an auto-reset event does so by itself).
  // Watching a handle again replaces its function.
  void watch(HANDLE handle, std::function<void()> signalled);
  // Before the handle is closed.
  void unwatch(HANDLE handle);

  // Waits for messages and watched handles, dispatching and running them,
  // until `ended` holds after one, or WM_QUIT comes.
  void run(HWND dialog, const std::function<bool()>& ended);

  // Each message that is waiting now, once. A timer of `dialog` that comes
  // round again while we are at it is left for the next time, so this
  // always returns; so is WM_QUIT, for run.
  static void DispatchWaiting(HWND dialog);

 private:
  std::vector<HANDLE> handles_;
  std::vector<std::function<void()>> signalled_;
};

}  // namespace lumio::win32
