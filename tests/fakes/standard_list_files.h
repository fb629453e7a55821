// The list file through the standard library alone, for the core tests
// (natively and under Wine). It keeps the failure numbers of the real
// backends but none of their guarantees against a file swapped in while it
// looks: those are tested against the backends themselves.
#pragma once

#include <fstream>

#include "seam/list_file_access.h"

namespace lumio::fakes {

class StandardListFiles final : public ListFileAccess {
 public:
  void openForReading(const std::filesystem::path& file) override;
  std::size_t read(char* buffer, std::size_t size) override;
  void close() noexcept override;
  bool createNew(const std::filesystem::path& file, std::string_view bytes) override;

  int opens = 0;
  int closes = 0;

 private:
  std::ifstream in_;
};

}  // namespace lumio::fakes
