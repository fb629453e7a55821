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
  // Only our own mutex, already there, says another copy runs. Access
  // denied says that some program, perhaps not ours, made an object of that
  // name with other rights: we cannot tell, and a stranger must not be able
  // to keep us from starting.
  another_ = mutex_ != nullptr && error == ERROR_ALREADY_EXISTS;
  if (another_ && mutex_ != nullptr) {
    CloseHandle(mutex_);
    mutex_ = nullptr;
  }
  return another_;
}

}  // namespace lumio::win32
