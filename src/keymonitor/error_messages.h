// The texts of the failure message boxes.
#pragma once

#include <exception>
#include <string>

#include "seam/failure.h"

namespace lumio {

// "Lumio Load - Error: <number> <description>"
std::string LoadErrorText(const Failure& failure);
// The key click's answer to a missing list file.
inline constexpr const char* kListMissingText = "Lumio Load - Error: 53, file list.txt not found.";
// A failure no handler catches.
std::string UncaughtErrorText(const Failure& failure);
// The same for whatever got past every handler and out of the event loop;
// what is not a Failure is an internal error, 51.
std::string EscapedErrorText(const std::exception_ptr& error);

}  // namespace lumio
