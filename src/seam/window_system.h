// The window system as the core sees it: one main window with its controls,
// timers and modal message boxes, all on one thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "seam/basic_types.h"
#include "seam/form_description.h"

namespace lumio {

enum class MessageIcon { Information, Stop };

// What the window delivers to its owner. Every call comes from the event
// loop (or from a nested one inside messageBox/doEvents) and runs to its end.
class WindowEvents {
 public:
  virtual void keyClicked(int index) = 0;
  virtual void controlClicked(Control control) = 0;
  virtual void timerTicked(TimerName timer) = 0;
  // The program is about to go away: the window was closed, the session is
  // ending or the process was asked to stop. May come more than once.
  virtual void programEnding() = 0;

 protected:
  ~WindowEvents() = default;
};

class WindowSystem {
 public:
  virtual ~WindowSystem() = default;

  // Creates the main window, hidden, with every child and timer as described.
  // Timers described as enabled start counting now.
  virtual void createWindow(const FormDescription& form, WindowEvents& events) = 0;
  virtual void showWindow() = 0;
  // Delivers events until endProgram() is called or the window is closed.
  virtual void runEventLoop() = 0;
  // No event is delivered after this; runEventLoop returns.
  virtual void endProgram() = 0;
  virtual NativeHandle nativeHandle() const = 0;

  // The core checks the index first (failure 340 for a code without a
  // button) and calls this only when the button's colour changes, so a
  // window system just paints what it is told; an index without a button,
  // which the core never gives, changes nothing.
  virtual void setKeyBackColor(int index, Colour colour) = 0;
  virtual std::string text1() const = 0;

  // Enabling a timer that is already running begins a new interval.
  virtual void setTimerEnabled(TimerName timer, bool enabled) = 0;
  // A running timer whose ticks would change nothing may rest: it stays
  // enabled but delivers no tick, and the program need not wake for it.
  // Ending the rest delivers a tick at once, then ticks on its interval
  // from there; stopping or starting the timer ends it too. A window
  // system that cannot rest a timer keeps it ticking.
  virtual void setTimerResting(TimerName /*timer*/, bool /*resting*/) {}

  // Modal: returns when the user dismisses it; timers keep ticking meanwhile.
  virtual void messageBox(std::string_view text, MessageIcon icon, std::string_view caption) = 0;
  // Handles every event already waiting, once, then returns.
  virtual void doEvents() = 0;
};

}  // namespace lumio
