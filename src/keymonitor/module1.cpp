#include "keymonitor/module1.h"

namespace lumio {

Boolean bAllowShow = kFalse;

}  // namespace lumio
