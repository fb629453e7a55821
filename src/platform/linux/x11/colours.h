// Our colour values (&H00BBGGRR, or &H800000nn for a system colour) as the
// red, green and blue the screen shows.
#pragma once

#include "seam/basic_types.h"

namespace lumio::x11 {

struct Rgb {
  int r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// System colours come from a fixed table of the classic desktop scheme, so
// the keys look the same on every X desktop; unknown numbers are black.
Rgb ResolveColour(Colour colour);

}  // namespace lumio::x11
