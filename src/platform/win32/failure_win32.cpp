#include "platform/win32/failure_win32.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "platform/win32/dik_codes.h"

namespace lumio::win32 {

namespace {

struct NamedResult {
  std::uint32_t bits;  // the header mixes signed and unsigned spellings
  std::string_view name;
};

constexpr std::uint32_t Bits(long long value) { return static_cast<std::uint32_t>(value); }

// In the header's order, so that shared values get the usual name.
constexpr std::array<NamedResult, 32> kDirectInputErrors{{
    {Bits(DIERR_OLDDIRECTINPUTVERSION), "DIERR_OLDDIRECTINPUTVERSION"},
    {Bits(DIERR_BETADIRECTINPUTVERSION), "DIERR_BETADIRECTINPUTVERSION"},
    {Bits(DIERR_BADDRIVERVER), "DIERR_BADDRIVERVER"},
    {Bits(DIERR_DEVICENOTREG), "DIERR_DEVICENOTREG"},
    {Bits(DIERR_NOTFOUND), "DIERR_NOTFOUND"},
    {Bits(DIERR_INVALIDPARAM), "DIERR_INVALIDPARAM"},
    {Bits(DIERR_NOINTERFACE), "DIERR_NOINTERFACE"},
    {Bits(DIERR_GENERIC), "DIERR_GENERIC"},
    {Bits(DIERR_OUTOFMEMORY), "DIERR_OUTOFMEMORY"},
    {Bits(DIERR_UNSUPPORTED), "DIERR_UNSUPPORTED"},
    {Bits(DIERR_NOTINITIALIZED), "DIERR_NOTINITIALIZED"},
    {Bits(DIERR_ALREADYINITIALIZED), "DIERR_ALREADYINITIALIZED"},
    {Bits(DIERR_NOAGGREGATION), "DIERR_NOAGGREGATION"},
    {Bits(DIERR_OTHERAPPHASPRIO), "DIERR_OTHERAPPHASPRIO"},
    {Bits(DIERR_INPUTLOST), "DIERR_INPUTLOST"},
    {Bits(DIERR_ACQUIRED), "DIERR_ACQUIRED"},
    {Bits(DIERR_NOTACQUIRED), "DIERR_NOTACQUIRED"},
    {Bits(DIERR_INSUFFICIENTPRIVS), "DIERR_INSUFFICIENTPRIVS"},
    {Bits(DIERR_DEVICEFULL), "DIERR_DEVICEFULL"},
    {Bits(DIERR_MOREDATA), "DIERR_MOREDATA"},
    {Bits(DIERR_NOTDOWNLOADED), "DIERR_NOTDOWNLOADED"},
    {Bits(DIERR_HASEFFECTS), "DIERR_HASEFFECTS"},
    {Bits(DIERR_NOTEXCLUSIVEACQUIRED), "DIERR_NOTEXCLUSIVEACQUIRED"},
    {Bits(DIERR_INCOMPLETEEFFECT), "DIERR_INCOMPLETEEFFECT"},
    {Bits(DIERR_NOTBUFFERED), "DIERR_NOTBUFFERED"},
    {Bits(DIERR_EFFECTPLAYING), "DIERR_EFFECTPLAYING"},
    {Bits(DIERR_UNPLUGGED), "DIERR_UNPLUGGED"},
    {Bits(DIERR_REPORTFULL), "DIERR_REPORTFULL"},
    {Bits(DIERR_MAPFILEFAIL), "DIERR_MAPFILEFAIL"},
    {Bits(E_PENDING), "E_PENDING"},
    {Bits(E_HANDLE), "E_HANDLE"},
    {Bits(E_POINTER), "E_POINTER"},
}};

// DIERR_xxx for DirectInput's own codes and the common ones it reuses;
// empty for any other value.
std::string_view DirectInputErrorName(HRESULT result) {
  for (const NamedResult& entry : kDirectInputErrors)
    if (entry.bits == Bits(result)) return entry.name;
  return {};
}

// FormatMessageA's text for the code, trailing line breaks and blanks cut;
// empty when the system has none.
std::string SystemErrorText(HRESULT result) {
  char* buffer = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      static_cast<DWORD>(result), 0, reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
  std::string text;
  if (length != 0 && buffer != nullptr) text.assign(buffer, length);
  if (buffer != nullptr) LocalFree(buffer);
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ' || text.back() == '\t'))
    text.pop_back();
  return text;
}

}  // namespace

Failure HresultFailure(HRESULT result) {
  std::string description = SystemErrorText(result);
  if (description.empty()) description = std::string(DirectInputErrorName(result));
  if (description.empty()) {
    char hex[40];
    std::snprintf(hex, sizeof hex, "Unknown error 0x%08lX", static_cast<unsigned long>(static_cast<std::uint32_t>(result)));
    description = hex;
  }
  return Failure(static_cast<std::int32_t>(static_cast<std::uint32_t>(result)), std::move(description));
}

Failure LastErrorFailure() {
  const DWORD error = GetLastError();
  return HresultFailure(error == ERROR_SUCCESS ? E_FAIL : HRESULT_FROM_WIN32(error));
}

}  // namespace lumio::win32
