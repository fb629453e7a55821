// Where the executable lives (by its module path, never the current folder)
// and the user's decimal separator from the locale settings.
#pragma once

#include "platform/win32/list_file_win32.h"
#include "seam/program_environment.h"

namespace lumio::win32 {

class Win32ProgramEnvironment final : public ProgramEnvironment {
 public:
  explicit Win32ProgramEnvironment(MessageLoop& loop) : listFiles_(loop) {}
  std::filesystem::path programDirectory() override;
  std::string decimalSeparator() override;
  ListFileAccess& listFiles() override { return listFiles_; }

 private:
  Win32ListFiles listFiles_;
};

}  // namespace lumio::win32
