// How the platform opens and creates the key list file. A file anyone can
// replace by a pipe, a device or a link must never make the program wait,
// spin or write somewhere else, so the checks belong where the file is
// opened, not before it.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string_view>

namespace lumio {

class ListFileAccess {
 public:
  virtual ~ListFileAccess() = default;

  // Opens the file for one pass without ever waiting on it. Failures:
  // 53 nothing there, 75 there but not a regular file (pipe, device, folder,
  // dangling link), 70 not allowed. Any file opened before is closed first.
  virtual void openForReading(const std::filesystem::path& file) = 0;
  // Up to `size` bytes of the open file; 0 at its end. Failure 57 on a read
  // error.
  virtual std::size_t read(char* buffer, std::size_t size) = 0;
  virtual void close() noexcept = 0;

  // Creates the file with `bytes` as a new regular file, never through a
  // link. False, with nothing changed, when something of that name is
  // already there. Failure 75 when it cannot be created or written.
  virtual bool createNew(const std::filesystem::path& file, std::string_view bytes) = 0;

  // True only when the last openForReading succeeded and the file can be
  // told to be as it found it: not written, replaced, removed, changed in
  // its permissions, nor its folder moved. One that cannot tell (no way of
  // watching, a link whose target may change unseen) says false, and the
  // file is read on every poll.
  virtual bool unchangedSinceLastOpen() { return false; }
  // `changed` is called from the window's event loop as soon as the file
  // last opened may have changed. One that cannot tell never calls it.
  virtual void callOnChange(std::function<void()> /*changed*/) {}
};

}  // namespace lumio
