// The list file through the Win32 file calls: only a plain disk file is
// read, and the default list is created only as a new file, never through
// a reparse point (a symbolic link or junction put in its place). Its folder
// is watched, so that an unchanged file need not be read again.
#pragma once

#include "platform/win32/list_file_watch_win32.h"
#include "platform/win32/win32_api.h"
#include "seam/list_file_access.h"

namespace lumio::win32 {

class Win32ListFiles final : public ListFileAccess {
 public:
  explicit Win32ListFiles(MessageLoop& loop) : watch_(loop) {}
  ~Win32ListFiles() override;
  Win32ListFiles(const Win32ListFiles&) = delete;
  Win32ListFiles& operator=(const Win32ListFiles&) = delete;

  void openForReading(const std::filesystem::path& file) override;
  std::size_t read(char* buffer, std::size_t size) override;
  void close() noexcept override;
  bool createNew(const std::filesystem::path& file, std::string_view bytes) override;
  bool unchangedSinceLastOpen() override { return watch_.unchanged(); }
  void callOnChange(std::function<void()> changed) override { watch_.callOnChange(std::move(changed)); }

 private:
  HANDLE file_ = INVALID_HANDLE_VALUE;
  ListFileWatch watch_;
};

}  // namespace lumio::win32
