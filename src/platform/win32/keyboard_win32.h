// The system keyboard through DirectInput 8: one non-exclusive background
// device, read as the whole 256-byte snapshot.
#pragma once

#include "platform/win32/dik_codes.h"
#include "platform/win32/win32_api.h"
#include "seam/keyboard_device.h"

namespace lumio::win32 {

class Win32KeyboardDevice final : public KeyboardDevice {
 public:
  explicit Win32KeyboardDevice(HINSTANCE instance) : instance_(instance) {}
  ~Win32KeyboardDevice() override;
  Win32KeyboardDevice(const Win32KeyboardDevice&) = delete;
  Win32KeyboardDevice& operator=(const Win32KeyboardDevice&) = delete;

  // DirectInput8Create, CreateDevice(GUID_SysKeyboard), SetDataFormat,
  // SetCooperativeLevel(non-exclusive, background), Acquire: the first that
  // fails throws its HRESULT, and the steps after it are not taken.
  void open(NativeHandle window) override;
  void getState(KeyboardState& state) override;

 private:
  void release();

  HINSTANCE instance_;
  IDirectInput8A* input_ = nullptr;
  IDirectInputDevice8A* device_ = nullptr;
};

// One snapshot from a device that may have been taken away (a secure
// desktop, a driver reset): it comes back with one Acquire, so the user sees
// a failure only when that does not help. Device: anything with
// DirectInput's GetDeviceState and Acquire.
template <class Device>
HRESULT ReadSnapshot(Device& device, KeyboardState& state) {
  HRESULT result = device.GetDeviceState(static_cast<DWORD>(kDeviceStateSize), state.data());
  if ((result == DIERR_INPUTLOST || result == DIERR_NOTACQUIRED) && SUCCEEDED(device.Acquire()))
    result = device.GetDeviceState(static_cast<DWORD>(kDeviceStateSize), state.data());
  return result;
}

}  // namespace lumio::win32
