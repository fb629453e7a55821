// The main window with FLTK: a small fixed window whose children all sit
// below its visible client area, the form's timers as FLTK timeouts, modal
// message boxes, and SIGTERM/SIGINT/SIGHUP turned into an orderly end.
#pragma once

#include <array>
#include <exception>
#include <memory>
#include <vector>

// Our headers before X's: Xlib defines None, True and False as macros.
#include "seam/window_system.h"

#include <X11/Xlib.h>
#include <signal.h>

class Fl_Button;
class Fl_RGB_Image;
class Fl_Widget;
class Fl_Window;

namespace lumio::x11 {

class MainWindow;
namespace testing {
class WindowSystemProbe;
}

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
  // A resting timer has no timeout armed at all, so FLTK's loop sleeps
  // until a file it watches or the X connection has something.
  void setTimerResting(TimerName timer, bool resting) override;
  void messageBox(std::string_view text, MessageIcon icon, std::string_view caption) override;
  void doEvents() override;

 private:
  friend class testing::WindowSystemProbe;  // the tests look at what the window is made of

  struct Binding {
    X11WindowSystem* owner;
    bool isKey;
    int index;
    Control control;
  };
  struct TimerSlot {
    X11WindowSystem* owner = nullptr;
    TimerName name = TimerName::tmrAbout;
    double seconds = 0;
    bool running = false;
    bool resting = false;
  };

  static void OnClick(Fl_Widget* widget, void* data);
  static void OnClose(Fl_Widget* widget, void* data);
  static void OnTimer(void* data);
  static void OnSignal(int fd, void* data);

  template <class Delivery>
  void deliver(Delivery&& delivery);
  void addChildren(const FormDescription& form);
  TimerSlot* slotFor(TimerName timer);
  const TimerSlot* slotFor(TimerName timer) const;
  void stopTimers();
  void closeModalWindows();
  void endFromOutside();
  void installSignals();
  void removeSignals();

  Display* display_;
  WindowEvents* events_ = nullptr;
  int dpi_ = 96;
  bool ending_ = false;

  // Declared before the window so that they outlive the widgets showing them.
  std::vector<std::vector<unsigned char>> pictureData_;
  std::vector<std::unique_ptr<Fl_RGB_Image>> pictures_;
  std::vector<std::unique_ptr<Binding>> bindings_;
  std::unique_ptr<MainWindow> window_;

  std::array<Fl_Button*, 256> keys_{};
  std::array<bool, 256> keyGraphical_{};
  std::array<Fl_Widget*, kControlCount> controls_{};
  std::array<TimerSlot, kTimerCount> timers_{};
  std::size_t timerCount_ = 0;

  std::exception_ptr escaped_;  // from an event, rethrown by runEventLoop
  bool signalsInstalled_ = false;
  std::array<struct sigaction, 3> previousActions_{};
};

}  // namespace lumio::x11
