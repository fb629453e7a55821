// The main window with native Win32 controls: a small fixed window, owned by
// a hidden one so that it has no taskbar button, whose children all sit
// below its visible client area (window_controls); the form's timers as
// window timers (window_timers); modal message boxes owned by it. Per-monitor
// DPI aware (window_dpi).
#pragma once

#include <exception>

#include "platform/win32/win32_api.h"
#include "platform/win32/window_controls.h"
#include "platform/win32/window_timers.h"
#include "seam/window_system.h"

namespace lumio::win32 {

inline constexpr const char* kMainWindowClass = "LumioCapsLockWindow";
inline constexpr const char* kOwnerWindowClass = "LumioCapsLockOwner";

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
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void registerClasses();
  void applyDpi(int dpi, const RECT* suggested);
  void onCommand(int id, int code);
  void onTimer(UINT_PTR id);
  // Runs one event for the core unless the program has ended. A failure
  // that escapes the core ends the program and leaves runEventLoop with it.
  template <class Event>
  void deliver(Event&& event);

  HINSTANCE instance_;
  int iconResource_;
  HWND owner_ = nullptr;
  HWND window_ = nullptr;
  const FormDescription* form_ = nullptr;
  WindowEvents* events_ = nullptr;
  WindowControls controls_;
  WindowTimers timers_;
  HICON bigIcon_ = nullptr;
  HICON smallIcon_ = nullptr;
  bool ended_ = false;
  bool quitPosted_ = false;
  std::exception_ptr escaped_;
};

}  // namespace lumio::win32
