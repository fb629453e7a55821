#include "platform/win32/instance_guard_win32.h"

namespace lumio::win32 {

Win32InstanceGuard::~Win32InstanceGuard() {
  if (mutex_ != nullptr) CloseHandle(mutex_);
}

bool Win32InstanceGuard::anotherInstanceRunning() {
  if (asked_) return another_;
  asked_ = true;
  mutex_ = CreateMutexA(nullptr, FALSE, name_.c_str());
  const DWORD error = GetLastError();
  // Access denied means the name exists under another account's rights in
  // our session: someone holds it, so we are not the first either.
  another_ = (mutex_ != nullptr && error == ERROR_ALREADY_EXISTS) || (mutex_ == nullptr && error == ERROR_ACCESS_DENIED);
  if (another_ && mutex_ != nullptr) {
    CloseHandle(mutex_);
    mutex_ = nullptr;
  }
  return another_;
}

}  // namespace lumio::win32
