#include "platform/x11/instance_guard_x11.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace lumio::x11 {

namespace {

constexpr std::string_view kProgramName = "lumio-capslock";

// A folder is ours when it is a real directory (no link), owned by us and
// writable by nobody else.
bool IsPrivateFolder(const std::filesystem::path& folder) {
  struct stat info {};
  if (lstat(folder.c_str(), &info) != 0) return false;
  return S_ISDIR(info.st_mode) && info.st_uid == getuid() && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

std::filesystem::path LockFolder() {
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && runtime[0] == '/') {
    const std::filesystem::path folder(runtime);
    if (IsPrivateFolder(folder)) return folder;
  }
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] != '/') return {};
  const std::filesystem::path cache = std::filesystem::path(home) / ".cache";
  mkdir(cache.c_str(), 0700);  // usually there already
  const std::filesystem::path folder = cache / kProgramName;
  if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return {};
  return IsPrivateFolder(folder) ? folder : std::filesystem::path{};
}

}  // namespace

std::string NormaliseDisplayName(std::string_view display) {
  std::string host, number;
  const std::size_t colon = display.rfind(':');
  if (colon == std::string_view::npos) {
    number = "0";
  } else {
    host.assign(display.substr(0, colon));
    std::string_view rest = display.substr(colon + 1);
    rest = rest.substr(0, rest.find('.'));  // the screen number does not matter
    number.assign(rest.empty() ? "0" : rest);
  }
  if (host == "unix") host.clear();
  std::string name = host + "_" + number;
  for (char& c : name) {
    const bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.';
    if (!safe) c = '_';
  }
  return name;
}

std::filesystem::path X11InstanceGuard::lockFile() const {
  const std::filesystem::path folder = LockFolder();
  if (folder.empty()) return {};
  return folder / (std::string(kProgramName) + "-display" + NormaliseDisplayName(display_) + ".lock");
}

X11InstanceGuard::~X11InstanceGuard() {
  if (fd_ >= 0) close(fd_);
}

bool X11InstanceGuard::anotherInstanceRunning() {
  if (fd_ >= 0) return false;  // we hold it already
  const std::filesystem::path file = lockFile();
  if (file.empty()) return false;
  const int fd = open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return false;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const bool held = errno == EWOULDBLOCK;
    close(fd);
    return held;
  }
  fd_ = fd;  // kept open: the lock goes with the process
  return false;
}

}  // namespace lumio::x11
