// What the main window is made of, as data: the window, its children, the
// key button array and the timers. The window system builds exactly this.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "seam/basic_types.h"

namespace lumio {

enum class Control { Text1, cmdShow, cmdRemove, cmdCapNum, cmdHideIcons, cmdShowicons };
enum class TimerName { tmrAbout, Timer1, tmrTestCaps, tmrRemoveText };
enum class KeyPicture { None, WindowsFlag, Menu };

struct FontDesc {
  std::string_view name;
  double points;
};

// Positions and sizes are twips from the top-left corner of the client area.
struct ChildDesc {
  Control control;
  std::string_view name;
  bool isTextBox;
  std::string_view caption;  // initial text for the text box
  int left, top, width, height;
  int tabIndex;
};

struct KeyDesc {
  int index;  // the DirectInput key code
  std::string_view caption;
  int left, top, width, height;
  FontDesc font;
  bool graphical;  // graphical buttons paint their back colour over the whole face
  Colour backColor;
  KeyPicture picture;
  int tabIndex;
};

struct TimerDesc {
  TimerName timer;
  std::string_view name;
  int intervalMs;
  bool enabled;
};

struct FormDescription {
  std::string_view caption;
  int clientWidth, clientHeight;  // twips
  FontDesc font;                  // used by every child without a font of its own
  std::span<const ChildDesc> children;
  std::span<const KeyDesc> keys;
  std::span<const TimerDesc> timers;
};

}  // namespace lumio
