#include "window_system_driver_win32.h"

namespace lumio::testing {

std::unique_ptr<WindowSystemDriver> MakeWindowSystemDriver(RecordingEvents& /*events*/) {
  return std::make_unique<Win32Driver>();
}

}  // namespace lumio::testing
