// Where the program lives and how the user writes numbers.
#pragma once

#include <filesystem>
#include <string>

#include "seam/list_file_access.h"

namespace lumio {

class ProgramEnvironment {
 public:
  virtual ~ProgramEnvironment() = default;
  // The folder that holds the running executable (never the current folder).
  virtual std::filesystem::path programDirectory() = 0;
  // The user's decimal separator, as bytes of the list file's encoding.
  virtual std::string decimalSeparator() = 0;
  // Opening and creating "list.txt".
  virtual ListFileAccess& listFiles() = 0;
};

}  // namespace lumio
