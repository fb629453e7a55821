#include "platform/win32/keyboard_win32.h"

#include "platform/win32/failure_win32.h"

namespace lumio::win32 {

namespace {

void Check(HRESULT result) {
  if (FAILED(result)) throw HresultFailure(result);
}

// Key changes DirectInput keeps for us between two snapshots.
constexpr DWORD kBufferedChanges = 64;

}  // namespace

Win32KeyboardDevice::~Win32KeyboardDevice() { release(); }

void Win32KeyboardDevice::release() {
  read_ = false;
  if (device_ != nullptr) {
    device_->Unacquire();
    if (event_ != nullptr) device_->SetEventNotification(nullptr);
    device_->Release();
    device_ = nullptr;
  }
  if (event_ != nullptr) {
    loop_.unwatch(event_);
    CloseHandle(event_);
    event_ = nullptr;
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
  DIPROPDWORD buffer{};
  buffer.diph.dwSize = sizeof buffer;
  buffer.diph.dwHeaderSize = sizeof buffer.diph;
  buffer.diph.dwHow = DIPH_DEVICE;
  buffer.dwData = kBufferedChanges;
  device_->SetProperty(DIPROP_BUFFERSIZE, &buffer.diph);  // refused: snapshots alone
  watchEvents();
  Check(device_->Acquire());
}

// Only before Acquire: DirectInput takes the event only while unacquired.
void Win32KeyboardDevice::watchEvents() {
  event_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  if (event_ != nullptr && FAILED(device_->SetEventNotification(event_))) {
    CloseHandle(event_);
    event_ = nullptr;
  }
  if (event_ == nullptr) return;
  loop_.watch(event_, [this] {
    heard_ = true;
    if (changed_) changed_();
  });
}

void Win32KeyboardDevice::takeEvent() {
  if (event_ != nullptr && WaitForSingleObject(event_, 0) == WAIT_OBJECT_0) heard_ = true;
}

void Win32KeyboardDevice::getState(KeyboardState& state) {
  if (device_ == nullptr) throw failures::ObjectNotSet();
  // What comes in from here on is after this snapshot.
  takeEvent();
  heard_ = false;
  const HRESULT result = ReadSnapshot(*device_, state);
  read_ = SUCCEEDED(result);
  Check(result);
  addTaps(state);
}

// A key that went down since the last snapshot counts as down in this one,
// even if it is up again: a short tap is seen however late the tick that a
// key wakes comes.
void Win32KeyboardDevice::addTaps(KeyboardState& state) {
  DIDEVICEOBJECTDATA changes[kBufferedChanges];
  DWORD count = kBufferedChanges;
  if (FAILED(device_->GetDeviceData(sizeof changes[0], changes, &count, 0))) return;
  for (DWORD i = 0; i < count && i < kBufferedChanges; ++i)
    if ((changes[i].dwData & 0x80) != 0) state[changes[i].dwOfs & 0xFF] |= 0x80;
}

bool Win32KeyboardDevice::unchangedSinceLastState() {
  // A device lost or never read is looked at on every poll until it reads
  // again: it must never leave us asleep and deaf.
  if (event_ == nullptr || !read_) return false;
  takeEvent();
  return !heard_;
}

}  // namespace lumio::win32
