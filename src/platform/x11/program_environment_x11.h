// Where the executable lives and how the user's locale writes numbers.
#pragma once

#include "seam/program_environment.h"

namespace lumio::x11 {

class X11ProgramEnvironment final : public ProgramEnvironment {
 public:
  std::filesystem::path programDirectory() override;
  // From LC_NUMERIC of the user's environment; the process itself keeps
  // the "C" numeric locale.
  std::string decimalSeparator() override;
};

}  // namespace lumio::x11
