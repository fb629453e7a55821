// Our thread's messages to their windows, the dialog keys (Tab, Space) of
// the main window included.
#pragma once

#include <functional>

#include "platform/win32/win32_api.h"

namespace lumio::win32 {

// Waits for messages and dispatches them until `ended` holds after one, or
// WM_QUIT comes.
void RunMessages(HWND dialog, const std::function<bool()>& ended);

// Each message that is waiting now, once. A timer of `dialog` that comes
// round again while we are at it is left for the next time, so this always
// returns; so is WM_QUIT, for RunMessages.
void DispatchWaiting(HWND dialog);

}  // namespace lumio::win32
