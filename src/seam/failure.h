// A numbered failure: the error type every part of the program raises.
// Handlers that have a failure branch catch it; anything else lets it travel
// to the event dispatch, which reports it and ends the program.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace lumio {

class Failure : public std::runtime_error {
 public:
  Failure(std::int32_t number, std::string description)
      : std::runtime_error(description), number_(number), description_(std::move(description)) {}

  std::int32_t number() const noexcept { return number_; }
  const std::string& description() const noexcept { return description_; }

 private:
  std::int32_t number_;
  std::string description_;
};

// The run-time failures the program itself raises, with the usual texts.
namespace failures {
inline constexpr std::int32_t kOverflow = 6;
inline constexpr std::int32_t kSubscriptOutOfRange = 9;
inline constexpr std::int32_t kTypeMismatch = 13;
inline constexpr std::int32_t kFileNotFound = 53;
inline constexpr std::int32_t kDeviceIoError = 57;
inline constexpr std::int32_t kPermissionDenied = 70;
inline constexpr std::int32_t kPathFileAccess = 75;
inline constexpr std::int32_t kObjectNotSet = 91;
inline constexpr std::int32_t kNoSuchControlElement = 340;

inline Failure Overflow() { return {kOverflow, "Overflow"}; }
inline Failure SubscriptOutOfRange() { return {kSubscriptOutOfRange, "Subscript out of range"}; }
inline Failure TypeMismatch() { return {kTypeMismatch, "Type mismatch"}; }
inline Failure FileNotFound() { return {kFileNotFound, "File not found"}; }
inline Failure DeviceIoError() { return {kDeviceIoError, "Device I/O error"}; }
inline Failure PermissionDenied() { return {kPermissionDenied, "Permission denied"}; }
inline Failure PathFileAccessError() { return {kPathFileAccess, "Path/File access error"}; }
inline Failure ObjectNotSet() { return {kObjectNotSet, "Object variable or With block variable not set"}; }
inline Failure NoSuchControlElement(std::int32_t index) {
  return {kNoSuchControlElement, "Control array element '" + std::to_string(index) + "' doesn't exist"};
}
}  // namespace failures

}  // namespace lumio
