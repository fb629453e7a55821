// One copy per user session: a named mutex in the session's own namespace,
// held by the first copy until it exits.
#pragma once

#include <string>

#include "platform/win32/win32_api.h"
#include "seam/instance_guard.h"

namespace lumio::win32 {

inline constexpr const char* kInstanceMutexName = "Local\\Lumio-CapsLock.SingleInstance";

class Win32InstanceGuard final : public InstanceGuard {
 public:
  explicit Win32InstanceGuard(std::string name = kInstanceMutexName) : name_(std::move(name)) {}
  ~Win32InstanceGuard() override;
  Win32InstanceGuard(const Win32InstanceGuard&) = delete;
  Win32InstanceGuard& operator=(const Win32InstanceGuard&) = delete;

  // Asks the system once; later calls give the same answer.
  bool anotherInstanceRunning() override;

 private:
  std::string name_;
  HANDLE mutex_ = nullptr;
  bool asked_ = false;
  bool another_ = false;
};

}  // namespace lumio::win32
