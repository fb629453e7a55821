// The Windows headers as every file of this backend includes them. The build
// defines the same macros; these guards keep a file compiling on its own too.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef STRICT
#define STRICT
#endif

#include <windows.h>

#include "seam/basic_types.h"

namespace lumio::win32 {

inline HWND ToHwnd(NativeHandle handle) { return reinterpret_cast<HWND>(handle); }
inline NativeHandle FromHwnd(HWND window) { return reinterpret_cast<NativeHandle>(window); }

// A function of user32 or ntdll that older Windows lacks (or that only Wine
// has), looked up by name; nullptr when absent. Going through void(*)()
// is the conversion both GCC and MSVC accept without a warning.
template <class Function>
Function FindSystemFunction(const char* module, const char* name) {
  const HMODULE handle = GetModuleHandleA(module);
  if (handle == nullptr) return nullptr;
  const FARPROC found = GetProcAddress(handle, name);
  if (found == nullptr) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

// Wine answers for Windows here (the tests run under it); its ntdll alone
// exports wine_get_version.
inline bool RunningUnderWine() {
  return FindSystemFunction<const char*(CDECL*)()>("ntdll.dll", "wine_get_version") != nullptr;
}

}  // namespace lumio::win32
