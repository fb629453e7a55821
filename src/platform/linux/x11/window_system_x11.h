// The window system with FLTK: the main window (main_window_x11), its
// children (form_children_x11), the form's timers (timers_x11), message
// boxes (message_box_x11), and SIGTERM, SIGINT and SIGHUP turned into an
// orderly end (os/termination_signals).
#pragma once

#include <exception>
#include <memory>

// Our headers before X's: Xlib defines None, True and False as macros.
#include "platform/linux/os/termination_signals.h"
#include "platform/linux/x11/timers_x11.h"
#include "seam/window_system.h"

#include <X11/Xlib.h>

namespace lumio::x11 {

class FormChildren;
class MainWindow;

class X11WindowSystem final : public WindowSystem {
 public:
  // display: the connection FLTK uses (SharedDisplay()).
  explicit X11WindowSystem(Display* display);
  ~X11WindowSystem() override;
  X11WindowSystem(const X11WindowSystem&) = delete;
  X11WindowSystem& operator=(const X11WindowSystem&) = delete;

  void createWindow(const FormDescription& form, WindowEvents& events) override;
  void showWindow() override;
  void runEventLoop() override;
  void endProgram() override;
  NativeHandle nativeHandle() const override;
  void setKeyBackColor(int index, Colour colour) override;
  std::string text1() const override;
  void setTimerEnabled(TimerName timer, bool enabled) override;
  void setTimerResting(TimerName timer, bool resting) override;
  void messageBox(std::string_view text, MessageIcon icon, std::string_view caption) override;
  void doEvents() override;

 private:
  template <class Delivery>
  void deliver(Delivery&& delivery);
  void endFromOutside();

  Display* display_;
  WindowEvents* events_ = nullptr;
  bool ending_ = false;
  FormTimers timers_;
  // Declared before the window so that it outlives the widgets it keeps.
  std::unique_ptr<FormChildren> children_;
  std::unique_ptr<MainWindow> window_;
  std::exception_ptr escaped_;  // from an event, rethrown by runEventLoop
  os::TerminationSignals signals_;
};

}  // namespace lumio::x11
