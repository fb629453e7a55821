// The key button of a code, as the window is described; nullptr for a code
// without one. Only the tests look keys up by code.
#pragma once

#include <cstdint>

#include "keymonitor/form_layout.h"

namespace lumio {

inline const KeyDesc* FindKey(std::int32_t code) {
  for (const KeyDesc& key : frmOSDLayout().keys)
    if (key.index == code) return &key;
  return nullptr;
}

}  // namespace lumio
