// The program's one global.
#pragma once

#include "seam/basic_types.h"

namespace lumio {

// True (-1) lets the next Caps Lock announcement be painted. False until the
// window loads; cleared by every announcement run, set again by its erase.
extern Boolean bAllowShow;

}  // namespace lumio
