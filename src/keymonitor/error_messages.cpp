#include "keymonitor/error_messages.h"

namespace lumio {

std::string LoadErrorText(const Failure& failure) {
  return "Lumio Load - Error: " + std::to_string(failure.number()) + " " + failure.description();
}

std::string UncaughtErrorText(const Failure& failure) {
  return "Run-time error '" + std::to_string(failure.number()) + "':\n\n" + failure.description();
}

std::string EscapedErrorText(const std::exception_ptr& error) {
  try {
    std::rethrow_exception(error);
  } catch (const Failure& failure) {
    return UncaughtErrorText(failure);
  } catch (const std::exception& other) {
    return UncaughtErrorText(Failure(51, std::string("Internal error: ") + other.what()));
  } catch (...) {
  }
  return UncaughtErrorText(Failure(51, "Internal error"));
}

}  // namespace lumio
