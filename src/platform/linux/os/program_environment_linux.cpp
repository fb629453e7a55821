#include "platform/linux/os/program_environment_linux.h"

#include <clocale>
#include <system_error>

#include "seam/failure.h"

namespace lumio::os {

std::filesystem::path LinuxProgramEnvironment::programDirectory() {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  // Without /proc there is no trustworthy answer, and the current folder
  // would be a wrong one.
  if (ec || exe.empty()) throw failures::PathFileAccessError();
  return exe.parent_path();
}

std::string LinuxProgramEnvironment::decimalSeparator() {
  if (!separator_.empty()) return separator_;
  std::string separator = ".";
  if (std::setlocale(LC_NUMERIC, "") != nullptr) {
    const std::lconv* conv = std::localeconv();
    if (conv != nullptr && conv->decimal_point != nullptr && conv->decimal_point[0] != '\0')
      separator = conv->decimal_point;
  }
  std::setlocale(LC_NUMERIC, "C");
  separator_ = separator;
  return separator_;
}

}  // namespace lumio::os
