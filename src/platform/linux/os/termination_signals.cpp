#include "platform/linux/os/termination_signals.h"

#include <FL/Fl.H>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace lumio::os {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

}  // namespace

// A signal handler may only do async-signal-safe things, so it writes one
// byte to a pipe that the event loop watches. Signal dispositions belong to
// the process, and so does this pipe: made once, kept until the process
// ends, its write end in a class static the handler can read safely.
int TerminationSignals::ReadEnd() {
  static const int fd = [] {
    int fds[2] = {-1, -1};
    if (pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0) return -1;
    writeEnd_ = fds[1];
    return fds[0];
  }();
  return fd;
}

void TerminationSignals::Handler(int /*signal*/) {
  const int savedErrno = errno;
  if (const int fd = writeEnd_; fd >= 0) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(fd, &byte, 1);  // full pipe: a wake-up is pending anyway
  }
  errno = savedErrno;
}

void TerminationSignals::Drain() {
  char buffer[64];
  while (read(ReadEnd(), buffer, sizeof buffer) > 0) {
  }
}

void TerminationSignals::install(std::function<void()> arrived) {
  arrived_ = std::move(arrived);
  if (installed_ || ReadEnd() < 0) return;
  Drain();  // a signal meant for an earlier window is not ours
  struct sigaction action {};
  action.sa_handler = Handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (std::size_t i = 0; i < std::size(kSignals); ++i) sigaction(kSignals[i], &action, &previous_[i]);
  Fl::add_fd(ReadEnd(), OnReadable, this);
  installed_ = true;
}

void TerminationSignals::remove() {
  if (!installed_) return;
  Fl::remove_fd(ReadEnd());
  for (std::size_t i = 0; i < std::size(kSignals); ++i) sigaction(kSignals[i], &previous_[i], nullptr);
  installed_ = false;
}

void TerminationSignals::OnReadable(int /*fd*/, void* data) {
  Drain();
  auto& self = *static_cast<TerminationSignals*>(data);
  if (self.arrived_) self.arrived_();
}

}  // namespace lumio::os
