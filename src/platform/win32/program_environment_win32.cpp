#include "platform/win32/program_environment_win32.h"

#include <string>

#include "platform/win32/win32_api.h"
#include "seam/failure.h"

namespace lumio::win32 {

std::filesystem::path Win32ProgramEnvironment::programDirectory() {
  // Wide, so that a folder name outside the ANSI code page survives; grown
  // until the whole path fits (it may exceed MAX_PATH).
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) throw failures::PathFileAccessError();
    if (length < buffer.size()) {
      buffer.resize(length);
      break;
    }
    if (buffer.size() >= 32768) throw failures::PathFileAccessError();
    buffer.resize(buffer.size() * 2);
  }
  return std::filesystem::path(buffer).parent_path();
}

std::string Win32ProgramEnvironment::decimalSeparator() {
  char separator[16] = {};
  const int length = GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, static_cast<int>(sizeof separator));
  if (length <= 1) return ".";  // no answer: the invariant culture's
  return std::string(separator, static_cast<std::size_t>(length - 1));
}

}  // namespace lumio::win32
