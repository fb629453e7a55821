// What the main window is made of, as data: the window, its children, the
// key button array, the key pictures and the timers. The window system
// builds exactly this, walking the children in the tab order given here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "seam/basic_types.h"

namespace lumio {

enum class Control { Text1, cmdShow, cmdRemove, cmdCapNum, cmdHideIcons, cmdShowicons };
inline constexpr std::size_t kControlCount = static_cast<std::size_t>(Control::cmdShowicons) + 1;
enum class TimerName { tmrAbout, Timer1, tmrTestCaps, tmrRemoveText };
inline constexpr std::size_t kTimerCount = static_cast<std::size_t>(TimerName::tmrRemoveText) + 1;
enum class KeyPicture { None, WindowsFlag, Menu };
inline constexpr std::size_t kKeyPictureCount = static_cast<std::size_t>(KeyPicture::Menu) + 1;

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

// A picture shown on a key button in place of its caption.
struct KeyBitmap {
  int width = 0;
  int height = 0;
  std::vector<Colour> pixels;  // row by row from the top, &H00BBGGRR

  Colour at(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
};

// One child of the window in tab order: a control or a key button.
struct TabStop {
  const ChildDesc* child;  // exactly one of the two is set
  const KeyDesc* key;
};

struct FormDescription {
  std::string_view caption;
  int clientWidth, clientHeight;  // twips
  FontDesc font;                  // used by every child without a font of its own
  std::span<const ChildDesc> children;
  std::span<const KeyDesc> keys;
  std::span<const TimerDesc> timers;
  std::span<const TabStop> tabOrder;    // every child and key once, by tab index
  std::span<const KeyBitmap> pictures;  // by KeyPicture; empty for None

  const KeyBitmap& pictureOf(const KeyDesc& key) const { return pictures[static_cast<std::size_t>(key.picture)]; }
};

}  // namespace lumio
