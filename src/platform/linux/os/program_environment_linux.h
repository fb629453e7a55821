// Where the executable lives and how the user's locale writes numbers.
#pragma once

#include <string>

#include "platform/linux/os/list_file_posix.h"
#include "seam/program_environment.h"

namespace lumio::os {

class LinuxProgramEnvironment final : public ProgramEnvironment {
 public:
  std::filesystem::path programDirectory() override;
  // From LC_NUMERIC of the user's environment; the process itself keeps
  // the "C" numeric locale.
  // Read once: a process's locale environment cannot change under it, and
  // asking setlocale fifty times a second costs more than the whole pass.
  std::string decimalSeparator() override;
  ListFileAccess& listFiles() override { return listFiles_; }

 private:
  std::string separator_;
  PosixListFiles listFiles_;
};

}  // namespace lumio::os
