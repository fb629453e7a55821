#include "platform/win32/keyboard_win32.h"

#include "platform/win32/failure_win32.h"

namespace lumio::win32 {

namespace {

void Check(HRESULT result) {
  if (FAILED(result)) throw HresultFailure(result);
}

}  // namespace

Win32KeyboardDevice::~Win32KeyboardDevice() { release(); }

void Win32KeyboardDevice::release() {
  if (device_ != nullptr) {
    device_->Unacquire();
    device_->Release();
    device_ = nullptr;
  }
  if (input_ != nullptr) {
    input_->Release();
    input_ = nullptr;
  }
}

void Win32KeyboardDevice::open(NativeHandle window) {
  release();
  Check(DirectInput8Create(instance_, DIRECTINPUT_VERSION, IID_IDirectInput8A, reinterpret_cast<void**>(&input_),
                           nullptr));
  Check(input_->CreateDevice(GUID_SysKeyboard, &device_, nullptr));
  Check(device_->SetDataFormat(&c_dfDIKeyboard));
  Check(device_->SetCooperativeLevel(ToHwnd(window), DISCL_NONEXCLUSIVE | DISCL_BACKGROUND));
  Check(device_->Acquire());
}

void Win32KeyboardDevice::getState(KeyboardState& state) {
  if (device_ == nullptr) throw failures::ObjectNotSet();
  Check(ReadSnapshot(*device_, state));
}

}  // namespace lumio::win32
