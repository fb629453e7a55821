// Which of the compositor's outputs a text goes to, and how big its surface
// and buffer are: rules with no Wayland in them, checked on their own.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lumio::wayland {

// An output as the compositor describes it, in the session's logical
// pixels (what XWayland's screen counts in). A size of 0 is not known.
struct OutputInfo {
  std::string name;
  int x = 0, y = 0, width = 0, height = 0;
  int scale = 1;
};

// The monitor X calls primary: its RandR name and place.
struct MonitorPlace {
  std::string name;
  int x = 0, y = 0, width = 0, height = 0;
};

// The output X's primary monitor shows: the one of the same name (XWayland
// names its outputs after the compositor's from version 23), else the one
// at the same place (older XWayland calls them XWAYLAND0...), else the
// first. -1 when there is no output at all.
int ChooseOutput(const std::vector<OutputInfo>& outputs, const MonitorPlace& primary);

// A rectangle in logical pixels.
struct Box {
  int left = 0, top = 0, width = 0, height = 0;
  friend bool operator==(const Box&, const Box&) = default;
};

// The text's box (relative to its first cell's top-left corner) with that
// corner at (x, y) on an output of the given size, cut to the output (to
// 16384 pixels a side where its size is not known). Nothing when no pixel
// of it remains.
std::optional<Box> PlaceOnOutput(const Box& text, std::int32_t x, std::int32_t y, int outputWidth, int outputHeight);

// The buffer scale for an output's advertised one: at least 1, and at most
// 4, so that a text's buffer never runs to gigabytes.
int BufferScale(int advertised);

}  // namespace lumio::wayland
