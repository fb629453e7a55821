// What every window system promises the form, tested once for both: each
// backend's tests give the suite a driver that reaches the real window the
// way a user or the system would, and the suite holds both to one contract.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "seam/window_system.h"
#include "support/recording_events.h"

namespace lumio::testing {

// One child of the main window as it was made, in the order focus would
// walk them (the order of creation).
struct ChildSeen {
  std::string caption;  // a text box's text, a button's label
  int left = 0, top = 0, width = 0, height = 0;  // pixels in the client area
};

// A colour as it shows on the screen.
struct ShownColour {
  int r = 0, g = 0, b = 0;
  friend bool operator==(const ShownColour&, const ShownColour&) = default;
};

class WindowSystemDriver {
 public:
  virtual ~WindowSystemDriver() = default;
  // The window system under test, its window not yet created.
  virtual WindowSystem& windowSystem() = 0;
  // Handles what has come in, waiting a few milliseconds at most for more.
  virtual void turn() = 0;
  // The display's resolution, which turns twips into pixels.
  virtual int dpi() = 0;
  // Height of the client area in pixels.
  virtual int clientHeight() = 0;
  virtual std::vector<ChildSeen> children() = 0;
  // What the user typed into Text1.
  virtual void typeIntoText1(const std::string& text) = 0;
  // Makes the key faces show, so that what they paint can be read.
  virtual void showKeyFaces() = 0;
  // The colour a key's face shows now, and the one a colour of the form
  // (RGB or system colour) shows as.
  virtual ShownColour keyFace(int index) = 0;
  virtual ShownColour shownAs(Colour colour) = 0;
  // Clicks as the user's would arrive.
  virtual void clickKey(int index) = 0;
  virtual void clickControl(Control control) = 0;
  // The close box of the window's frame.
  virtual void clickCloseBox() = 0;
  // Whether a message box of ours with this caption is open, and the
  // user's click on its OK.
  virtual bool messageBoxOpen(const std::string& caption) = 0;
  virtual void clickOk(const std::string& caption) = 0;
  virtual bool windowShown() = 0;
  // Ends a loop that runs longer than the test meant it to, closing any
  // box too, so that no test hangs; says whether it had to.
  class SafetyNet {
   public:
    virtual ~SafetyNet() = default;
    virtual bool caught() const = 0;
  };
  virtual std::unique_ptr<SafetyNet> safetyNet(std::chrono::seconds after) = 0;
};

// Each backend's tests make theirs, around these events.
std::unique_ptr<WindowSystemDriver> MakeWindowSystemDriver(RecordingEvents& events);

}  // namespace lumio::testing
