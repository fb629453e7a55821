#include "platform/linux/wayland/output_choice.h"

#include <algorithm>

namespace lumio::wayland {

namespace {

// Beyond what any output shows: a text on an output of unknown size, or
// at an unknown scale, stays within these.
constexpr int kLargestScale = 4;
constexpr int kLargestSide = 16384;

}  // namespace

int ChooseOutput(const std::vector<OutputInfo>& outputs, const MonitorPlace& primary) {
  const auto find = [&](auto&& matches) {
    const auto it = std::find_if(outputs.begin(), outputs.end(), matches);
    return it == outputs.end() ? -1 : static_cast<int>(it - outputs.begin());
  };
  int chosen = -1;
  if (!primary.name.empty()) chosen = find([&](const OutputInfo& o) { return o.name == primary.name; });
  if (chosen < 0) {
    chosen = find([&](const OutputInfo& o) {
      return o.x == primary.x && o.y == primary.y && o.width == primary.width && o.height == primary.height;
    });
  }
  if (chosen < 0 && !outputs.empty()) chosen = 0;
  return chosen;
}

std::optional<Box> PlaceOnOutput(const Box& text, std::int32_t x, std::int32_t y, int outputWidth, int outputHeight) {
  // In 64 bits: the position may be anywhere a 32-bit integer reaches.
  const long long right = outputWidth > 0 ? outputWidth : kLargestSide;
  const long long bottom = outputHeight > 0 ? outputHeight : kLargestSide;
  const long long left = std::max<long long>(0LL + x + text.left, 0);
  const long long top = std::max<long long>(0LL + y + text.top, 0);
  const long long width = std::min<long long>(0LL + x + text.left + text.width, right) - left;
  const long long height = std::min<long long>(0LL + y + text.top + text.height, bottom) - top;
  if (width <= 0 || height <= 0) return std::nullopt;
  return Box{static_cast<int>(left), static_cast<int>(top), static_cast<int>(width), static_cast<int>(height)};
}

int BufferScale(int advertised) { return std::clamp(advertised, 1, kLargestScale); }

}  // namespace lumio::wayland
