// SIGTERM, SIGINT and SIGHUP turned into an orderly end: each signal
// becomes a call from the event loop instead of the end of the process.
#pragma once

#include <signal.h>

#include <array>
#include <csignal>
#include <functional>

namespace lumio::os {

class TerminationSignals {
 public:
  TerminationSignals() = default;
  ~TerminationSignals() { remove(); }
  TerminationSignals(const TerminationSignals&) = delete;
  TerminationSignals& operator=(const TerminationSignals&) = delete;

  // From now on each of the three signals calls `arrived` from FLTK's loop.
  // A signal that came before this is forgotten. Without a pipe to carry
  // them the signals keep their usual effect.
  void install(std::function<void()> arrived);
  // The signals' effects as they were before install().
  void remove();

 private:
  static int ReadEnd();
  static void Handler(int signal);
  static void Drain();
  static void OnReadable(int fd, void* data);

  static inline volatile std::sig_atomic_t writeEnd_ = -1;

  bool installed_ = false;
  std::function<void()> arrived_;
  std::array<struct sigaction, 3> previous_{};
};

}  // namespace lumio::os
