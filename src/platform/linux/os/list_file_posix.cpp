#include "platform/linux/os/list_file_posix.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "seam/failure.h"

namespace lumio::os {

PosixListFiles::~PosixListFiles() { close(); }

void PosixListFiles::openForReading(const std::filesystem::path& file) {
  close();
  watch_.opening(file);
  // A look before opening keeps open() away from devices, whose opening
  // alone may do something; the look after it catches whatever was swapped
  // in between. O_NONBLOCK: a pipe put there meanwhile must not hold us.
  struct stat info {};
  if (stat(file.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) throw failures::PathFileAccessError();
  const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    const int error = errno;
    if (error == ENOENT) {
      // A link that points nowhere is there all the same: say so rather
      // than have the default list written through it.
      if (lstat(file.c_str(), &info) == 0) throw failures::PathFileAccessError();
      throw failures::FileNotFound();
    }
    if (error == EACCES || error == EPERM) throw failures::PermissionDenied();
    throw failures::PathFileAccessError();
  }
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    throw failures::PathFileAccessError();
  }
  fd_ = fd;
  watch_.opened();
}

std::size_t PosixListFiles::read(char* buffer, std::size_t size) {
  if (fd_ < 0) return 0;
  for (;;) {
    const ssize_t got = ::read(fd_, buffer, size);
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno != EINTR) throw failures::DeviceIoError();
  }
}

void PosixListFiles::close() noexcept {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

bool PosixListFiles::createNew(const std::filesystem::path& file, std::string_view bytes) {
  // O_EXCL never follows a link and never opens what is already there, so
  // a dangling link or a file that appeared since the last pass stays as
  // it is.
  const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0666);
  if (fd < 0) {
    if (errno == EEXIST) return false;
    throw failures::PathFileAccessError();
  }
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t put = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) break;
    written += static_cast<std::size_t>(put);
  }
  const bool closed = ::close(fd) == 0;
  if (written < bytes.size() || !closed) {
    unlink(file.c_str());  // ours, and only half there: a later pass tries again
    throw failures::DeviceIoError();
  }
  return true;
}

}  // namespace lumio::os
