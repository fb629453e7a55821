#include "keymonitor/error_messages.h"

namespace lumio {

std::string LoadErrorText(const Failure& failure) {
  return "Lumio Load - Error: " + std::to_string(failure.number()) + " " + failure.description();
}

std::string UncaughtErrorText(const Failure& failure) {
  return "Run-time error '" + std::to_string(failure.number()) + "':\n\n" + failure.description();
}

}  // namespace lumio
