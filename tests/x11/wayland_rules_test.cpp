// Which output a text goes to in a Wayland session, and its surface and
// buffer there, at every scale.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "platform/linux/wayland/output_choice.h"

namespace lumio::wayland {
namespace {

TEST(WaylandOutputs, XsPrimaryMonitorByNameElseByPlaceElseTheFirst) {
  const OutputInfo left{"DP-1", 0, 0, 1920, 1080, 1}, right{"HDMI-A-1", 1920, 0, 1280, 1024, 2};
  const struct {
    std::vector<OutputInfo> outputs;
    MonitorPlace primary;
    int expected;
  } cases[] = {
      {{left, right}, {"HDMI-A-1", 1920, 0, 1280, 1024}, 1},
      {{left, right}, {"HDMI-A-1", 0, 0, 1920, 1080}, 1},      // the name wins
      {{left, right}, {"XWAYLAND1", 1920, 0, 1280, 1024}, 1},  // older XWayland: the place
      {{left, right}, {"", 1920, 0, 1280, 1024}, 1},
      {{left, right}, {"XWAYLAND0", 1920, 0, 640, 480}, 0},  // the size differs too: the first
      {{right}, {"XWAYLAND0", 0, 0, 1280, 800}, 0},          // one output: that one
      {{}, {"DP-1", 0, 0, 1920, 1080}, -1},
  };
  for (const auto& c : cases) EXPECT_EQ(ChooseOutput(c.outputs, c.primary), c.expected) << c.primary.name;
}

TEST(WaylandOutputs, TheSurfaceIsTheTextsBoxCutToTheOutputAndTheBufferScalesWithIt) {
  const Box text{0, 0, 520, 73};  // "Caps Lock is ON" at 72 px, a pixel to spare
  const struct {
    Box text;
    std::int32_t x, y;
    int outputWidth, outputHeight, scale;
    std::optional<Box> expected;
    int bufferWidth, bufferHeight;
  } cases[] = {
      {text, 250, 300, 1280, 800, 1, Box{250, 300, 520, 73}, 520, 73},
      {text, 250, 300, 1280, 800, 2, Box{250, 300, 520, 73}, 1040, 146},
      {text, 250, 300, 1280, 800, 3, Box{250, 300, 520, 73}, 1560, 219},
      {text, 250, 300, 1280, 800, 0, Box{250, 300, 520, 73}, 520, 73},            // nonsense: 1
      {text, 250, 300, 1280, 800, 100, Box{250, 300, 520, 73}, 2080, 292},        // at most 4
      {{-3, -2, 10, 12}, 250, 300, 1280, 800, 1, Box{247, 298, 10, 12}, 10, 12},  // ink before the cell
      {text, 1000, 760, 1280, 800, 2, Box{1000, 760, 280, 40}, 560, 80},          // cut at the edges
      {text, -500, -50, 1280, 800, 1, Box{0, 0, 20, 23}, 20, 23},
      {text, 1280, 300, 1280, 800, 1, std::nullopt, 0, 0},  // wholly off the output
      {text, 250, -73, 1280, 800, 1, std::nullopt, 0, 0},
      {text, 2147483600, 300, 0, 0, 1, std::nullopt, 0, 0},  // size unknown: 16384 at most
      {text, 16000, 2147483647, 0, 0, 1, std::nullopt, 0, 0},
      {text, 16000, 300, 0, 0, 1, Box{16000, 300, 384, 73}, 384, 73},
      {{0, 0, 0, 73}, 250, 300, 1280, 800, 1, std::nullopt, 0, 0},  // nothing to show
  };
  for (const auto& c : cases) {
    const std::optional<Box> place = PlaceOnOutput(c.text, c.x, c.y, c.outputWidth, c.outputHeight);
    EXPECT_EQ(place, c.expected) << c.x << "," << c.y << " at scale " << c.scale;
    if (!place || !c.expected) continue;
    EXPECT_EQ(place->width * BufferScale(c.scale), c.bufferWidth);
    EXPECT_EQ(place->height * BufferScale(c.scale), c.bufferHeight);
  }
}

}  // namespace
}  // namespace lumio::wayland
