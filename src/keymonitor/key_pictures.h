// The pictures on the two Windows keys and the menu key, drawn in code so
// that both backends show the same pixels; the form description hands
// them to the window system.
#pragma once

#include "seam/form_description.h"

namespace lumio {

// Empty for KeyPicture::None.
KeyBitmap DrawKeyPicture(KeyPicture picture);

}  // namespace lumio
