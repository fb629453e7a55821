// The system keyboard through DirectInput 8: one non-exclusive background
// device, read as the whole 256-byte snapshot, in which a key tapped since
// the last one counts as down. DirectInput sets an event of ours whenever a
// key goes down or up anywhere, or the device is lost, so polling may rest
// while it stays quiet.
#pragma once

#include <functional>

#include "platform/win32/dik_codes.h"
#include "platform/win32/message_loop.h"
#include "platform/win32/win32_api.h"
#include "seam/keyboard_device.h"

namespace lumio::win32 {

class Win32KeyboardDevice final : public KeyboardDevice {
 public:
  Win32KeyboardDevice(HINSTANCE instance, MessageLoop& loop) : instance_(instance), loop_(loop) {}
  ~Win32KeyboardDevice() override;
  Win32KeyboardDevice(const Win32KeyboardDevice&) = delete;
  Win32KeyboardDevice& operator=(const Win32KeyboardDevice&) = delete;

  // DirectInput8Create, CreateDevice(GUID_SysKeyboard), SetDataFormat,
  // SetCooperativeLevel(non-exclusive, background), Acquire: the first that
  // fails throws its HRESULT, and the steps after it are not taken. Without
  // an event (SetEventNotification refused), every poll reads the device.
  void open(NativeHandle window) override;
  void getState(KeyboardState& state) override;
  // True while the last snapshot was read and the event has stayed unset.
  bool unchangedSinceLastState() override;
  void callOnChange(std::function<void()> changed) override { changed_ = std::move(changed); }

 private:
  void release();
  void watchEvents();
  // Takes in an event DirectInput has set.
  void takeEvent();
  void addTaps(KeyboardState& state);

  HINSTANCE instance_;
  MessageLoop& loop_;
  IDirectInput8A* input_ = nullptr;
  IDirectInputDevice8A* device_ = nullptr;
  HANDLE event_ = nullptr;  // auto-reset, set by DirectInput
  bool heard_ = true;       // the event was set since the last snapshot
  bool read_ = false;       // the last snapshot was read from an acquired device
  std::function<void()> changed_;
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
