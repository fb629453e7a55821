// The main window with native Win32 controls: a small fixed window, owned by
// a hidden one so that it has no taskbar button, whose children all sit
// below its visible client area; the form's timers as window timers; modal
// message boxes owned by it. Per-monitor DPI aware.
#pragma once

#include <array>
#include <exception>
#include <map>
#include <string>
#include <utility>

#include "platform/win32/key_button_painter.h"
#include "platform/win32/win32_api.h"
#include "seam/window_system.h"

namespace lumio::win32 {

namespace testing {
class WindowSystemProbe;
}

inline constexpr const char* kMainWindowClass = "LumioCapsLockWindow";
inline constexpr const char* kOwnerWindowClass = "LumioCapsLockOwner";
// Child window ids: the controls from 100, the key buttons from 1000 + index.
inline constexpr int kFirstControlId = 100;
inline constexpr int kFirstKeyId = 1000;
// Window timer ids: 1 + the TimerName's value.
constexpr UINT_PTR TimerId(TimerName timer) { return 1 + static_cast<UINT_PTR>(timer); }

class Win32WindowSystem final : public WindowSystem {
 public:
  // icon: the resource id of the window icon in instance (0: the system's).
  explicit Win32WindowSystem(HINSTANCE instance, int iconResource = 0);
  ~Win32WindowSystem() override;
  Win32WindowSystem(const Win32WindowSystem&) = delete;
  Win32WindowSystem& operator=(const Win32WindowSystem&) = delete;

  void createWindow(const FormDescription& form, WindowEvents& events) override;
  void showWindow() override;
  void runEventLoop() override;
  void endProgram() override;
  NativeHandle nativeHandle() const override { return FromHwnd(window_); }
  void setKeyBackColor(int index, Colour colour) override;
  std::string text1() const override;
  void setTimerEnabled(TimerName timer, bool enabled) override;
  void messageBox(std::string_view text, MessageIcon icon, std::string_view caption) override;
  void doEvents() override;

 private:
  friend class testing::WindowSystemProbe;  // the tests look at what the window is made of

  struct KeySlot {
    HWND button = nullptr;
    const KeyDesc* desc = nullptr;
    Colour colour = kButtonFace;
  };

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void registerClasses();
  void createChildren();
  void applyDpi(int dpi, const RECT* suggested);
  HFONT fontFor(const FontDesc& font);
  void deleteFonts();
  void onCommand(int id, int code);
  void onDrawItem(const DRAWITEMSTRUCT& item);
  void onTimer(UINT_PTR id);
  // Runs one event for the core unless the program has ended. A failure
  // that escapes the core ends the program and leaves runEventLoop with it.
  template <class Event>
  void deliver(Event&& event);
  // One queued message to its window, dialog keys (Tab, Space) included.
  void dispatch(MSG& message);

  HINSTANCE instance_;
  int iconResource_;
  HWND owner_ = nullptr;
  HWND window_ = nullptr;
  const FormDescription* form_ = nullptr;
  WindowEvents* events_ = nullptr;
  int dpi_ = 96;
  std::array<HWND, kControlCount> controls_{};
  std::array<KeySlot, 256> keys_{};
  std::array<bool, kTimerCount> timerRunning_{};
  std::map<std::pair<std::string, double>, HFONT> fonts_;
  std::array<PictureDib, kKeyPictureCount> pictures_;  // by KeyPicture
  HICON bigIcon_ = nullptr;
  HICON smallIcon_ = nullptr;
  bool ended_ = false;
  bool quitPosted_ = false;
  std::exception_ptr escaped_;
};

}  // namespace lumio::win32
