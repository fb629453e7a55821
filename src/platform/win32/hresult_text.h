// Turning a failed COM/DirectInput call into the program's Failure: the
// HRESULT as the number, the system's text for it as the description.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/win32/win32_api.h"
#include "seam/failure.h"

namespace lumio::win32 {

// DIERR_xxx for DirectInput's own codes and the common ones it reuses;
// empty for any other value. Where several names share one value the
// first in DirectInput's header order is given.
std::string_view DirectInputErrorName(HRESULT result);

// FormatMessageA's text for the code, trailing line breaks and blanks cut;
// empty when the system has none.
std::string SystemErrorText(HRESULT result);

// The HRESULT's bits as a signed 32-bit number (0x8007000C -> -2147024884).
constexpr std::int32_t HresultNumber(HRESULT result) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(result));
}

// The system's text, else the DIERR_ name, else "Unknown error 0xXXXXXXXX".
Failure HresultFailure(HRESULT result);

}  // namespace lumio::win32
