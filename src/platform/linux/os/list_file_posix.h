// The list file through POSIX calls: opened without blocking and only when
// it is a regular file; created only as a new file, never through a link.
#pragma once

#include "platform/linux/os/list_file_watch_posix.h"
#include "seam/list_file_access.h"

namespace lumio::os {

class PosixListFiles final : public ListFileAccess {
 public:
  PosixListFiles() = default;
  ~PosixListFiles() override;
  PosixListFiles(const PosixListFiles&) = delete;
  PosixListFiles& operator=(const PosixListFiles&) = delete;

  void openForReading(const std::filesystem::path& file) override;
  std::size_t read(char* buffer, std::size_t size) override;
  void close() noexcept override;
  bool createNew(const std::filesystem::path& file, std::string_view bytes) override;
  bool unchangedSinceLastOpen() override { return watch_.unchanged(); }
  void callOnChange(std::function<void()> changed) override { watch_.callOnChange(std::move(changed)); }

 private:
  int fd_ = -1;
  ListFileWatch watch_;
};

}  // namespace lumio::os
