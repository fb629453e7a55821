// What fontconfig is asked for when a text is painted: the same question
// for the X windows (through Xft) and the Wayland surfaces (through cairo),
// so that both get the same font.
#pragma once

#include <fontconfig/fontconfig.h>

#include "seam/screen_surface.h"

namespace lumio::os {

// A new pattern, not yet substituted, for the request's face at a pixel
// size, with its weight and slant; nullptr when fontconfig has no memory.
// The caller destroys it.
FcPattern* FontRequestPattern(const FontRequest& request, double pixelSize);

}  // namespace lumio::os
