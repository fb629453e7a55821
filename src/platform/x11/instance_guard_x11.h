// One copy of the program per user and display: an exclusive flock() on a
// file in a folder only the user can write to, held while the process runs.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "seam/instance_guard.h"

namespace lumio::x11 {

// ":0", ":0.0" and "unix:0" are the same display; the screen number and the
// local-socket host name are dropped, and the rest made safe for a file name.
std::string NormaliseDisplayName(std::string_view display);

class X11InstanceGuard final : public InstanceGuard {
 public:
  // display as in $DISPLAY.
  explicit X11InstanceGuard(std::string display) : display_(std::move(display)) {}
  ~X11InstanceGuard() override;
  X11InstanceGuard(const X11InstanceGuard&) = delete;
  X11InstanceGuard& operator=(const X11InstanceGuard&) = delete;

  // True only when another process (or another guard) holds the lock. When
  // no lock can be taken at all the program is let run.
  bool anotherInstanceRunning() override;

  // Where the lock lives, empty when no safe folder could be had.
  std::filesystem::path lockFile() const;

 private:
  std::string display_;
  int fd_ = -1;
};

}  // namespace lumio::x11
