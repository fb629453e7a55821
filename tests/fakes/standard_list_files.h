// The list file through the standard library alone, for the core tests
// (natively and under Wine). It keeps the failure numbers of the real
// backends but none of their guarantees against a file swapped in while it
// looks: those are tested against the backends themselves.
#pragma once

#include <fstream>
#include <functional>

#include "seam/list_file_access.h"

namespace lumio::fakes {

class StandardListFiles final : public ListFileAccess {
 public:
  void openForReading(const std::filesystem::path& file) override;
  std::size_t read(char* buffer, std::size_t size) override;
  void close() noexcept override;
  bool createNew(const std::filesystem::path& file, std::string_view bytes) override;
  // Only with canTell set; otherwise it cannot tell, as a folder that
  // cannot be watched.
  bool unchangedSinceLastOpen() override { return canTell && openedFine_ && !changed_; }
  void callOnChange(std::function<void()> changed) override { onChange_ = std::move(changed); }
  // What a watch on the folder would hear: the file changed.
  void markChanged();

  int opens = 0;
  int closes = 0;
  bool canTell = false;

 private:
  std::ifstream in_;
  bool openedFine_ = false;
  bool changed_ = false;
  std::function<void()> onChange_;
};

}  // namespace lumio::fakes
