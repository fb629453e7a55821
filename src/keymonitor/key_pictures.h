// The pictures on the two Windows keys and the menu key, drawn in code so
// that both backends show the same pixels.
#pragma once

#include <vector>

#include "seam/basic_types.h"
#include "seam/form_description.h"

namespace lumio {

struct KeyBitmap {
  int width = 0;
  int height = 0;
  std::vector<Colour> pixels;  // row by row from the top, &H00BBGGRR

  Colour at(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
};

// Empty for KeyPicture::None.
KeyBitmap DrawKeyPicture(KeyPicture picture);

}  // namespace lumio
