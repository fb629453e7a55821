// The Win32 backend's failures, in one number space: HRESULTs.
//
// - A COM or DirectInput call reports an HRESULT: that is the number.
// - A plain Win32 call (registering a window class, creating a window,
//   watching a folder) reports GetLastError(): it becomes
//   HRESULT_FROM_WIN32(error), 0x8007xxxx, the number Windows itself gives
//   the same error in COM. ERROR_ACCESS_DENIED is E_ACCESSDENIED either way.
//
// The number is the HRESULT's bits as a signed 32-bit value (0x8007000C is
// -2147024884), so a "Run-time error" box shows numbers of one kind. The
// description is the system's text for it, else DirectInput's DIERR_ name,
// else "Unknown error 0xXXXXXXXX".
//
// The list file's failures are not in this space: they are the program's
// own numbers (53, 57, 70, 75), which the core's handlers tell apart.
#pragma once

#include "platform/win32/win32_api.h"
#include "seam/failure.h"

namespace lumio::win32 {

Failure HresultFailure(HRESULT result);

// HresultFailure(HRESULT_FROM_WIN32(GetLastError())) for the Win32 call
// that has just failed; E_FAIL when it left no error behind.
Failure LastErrorFailure();

}  // namespace lumio::win32
