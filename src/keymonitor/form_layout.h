// The main window as it is created: its children, key grid and timers.
#pragma once

#include <cstdint>
#include <string_view>

#include "seam/form_description.h"

namespace lumio {

inline constexpr std::string_view kAppTitle = "Lumio - Caps Lock";
inline constexpr int kKeyButtonCount = 105;

const FormDescription& frmOSDLayout();
bool HasKeyButton(std::int32_t code);

}  // namespace lumio
