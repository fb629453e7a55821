// The list file through the Win32 file calls: only a plain disk file is
// read, and the default list is created only as a new file, never through
// a reparse point (a symbolic link or junction put in its place).
#pragma once

#include "platform/win32/win32_api.h"
#include "seam/list_file_access.h"

namespace lumio::win32 {

class Win32ListFiles final : public ListFileAccess {
 public:
  Win32ListFiles() = default;
  ~Win32ListFiles() override;
  Win32ListFiles(const Win32ListFiles&) = delete;
  Win32ListFiles& operator=(const Win32ListFiles&) = delete;

  void openForReading(const std::filesystem::path& file) override;
  std::size_t read(char* buffer, std::size_t size) override;
  void close() noexcept override;
  bool createNew(const std::filesystem::path& file, std::string_view bytes) override;

 private:
  HANDLE file_ = INVALID_HANDLE_VALUE;
};

}  // namespace lumio::win32
