// Starting the real program from a test: a child process with its own
// environment and working folder, its output kept in files, waited for with
// a time limit and never left behind. Plus the few /proc figures the
// end-to-end tests and measurements read about it.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/temp_folder.h"

namespace lumio::testing {

// How a child exited; exactly one of the two is set once it has.
struct ExitStatus {
  std::optional<int> code;    // it returned or called exit()
  std::optional<int> signal;  // a signal ended it
  std::string describe() const;
};

class ChildProcess {
 public:
  struct Options {
    std::filesystem::path executable;
    std::vector<std::string> arguments;  // without argv[0]
    std::filesystem::path workingFolder;  // empty: the test's own
    std::vector<std::pair<std::string, std::string>> setEnvironment;
    std::vector<std::string> unsetEnvironment;
  };

  // Throws std::runtime_error when the process cannot be started.
  explicit ChildProcess(const Options& options);
  // A copy of this process that runs `body` and exits: for a test that
  // needs a second client of its own. Only what is safe after fork() may
  // happen in it (a fresh X connection is).
  explicit ChildProcess(const std::function<void()>& body);
  // Still running: asked to stop (SIGTERM), then killed after two seconds.
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t pid() const { return pid_; }
  bool running();
  // The exit status once it has exited within the time, else nothing.
  std::optional<ExitStatus> waitForExit(std::chrono::milliseconds timeout);
  void sendSignal(int signal);
  // SIGTERM, a bounded wait, then SIGKILL: whatever happens, it is gone.
  void stop(std::chrono::milliseconds grace = std::chrono::seconds(2));

  std::string standardOutput() const;
  std::string standardError() const;

 private:
  TempFolder outputFolder_{"lumio-child-output"};
  pid_t pid_ = -1;
  std::optional<ExitStatus> exit_;
};

// A child of this process asked to stop (SIGTERM), killed once `grace` is
// over, and reaped: its wait status.
int EndChild(pid_t pid, std::chrono::milliseconds grace);

// A command run to its end, or stopped once the time is up.
struct RunResult {
  std::optional<ExitStatus> exit;  // nothing when it did not end in time
  std::string output, error;
  bool succeeded() const { return exit && exit->code == 0; }
};
RunResult RunToEnd(const ChildProcess::Options& options, std::chrono::milliseconds patience);

// The executable copied into the folder, keeping its permissions; returns
// the copy's path.
std::filesystem::path CopyExecutable(const std::filesystem::path& executable, const std::filesystem::path& folder);

// CPU time the process has used so far, in seconds; nothing when /proc has
// no such process.
std::optional<double> CpuSeconds(pid_t pid);
// Time on a CPU so far in nanoseconds, all threads together, from the
// scheduler's own count (/proc/<pid>/task/*/schedstat): fine enough for a
// process that sleeps nearly all the time.
std::optional<long long> CpuNanoseconds(pid_t pid);
// VmHWM from /proc/<pid>/status: the peak resident set, in KiB.
std::optional<long> PeakResidentKib(pid_t pid);
// How often the process has gone to sleep waiting for something so far
// (voluntary context switches, all its threads together or its main thread
// alone): each wake-up adds one. Nothing when /proc has no such process.
std::optional<long long> Wakeups(pid_t pid, bool mainThreadOnly = false);

std::string ReadWholeFile(const std::filesystem::path& file);

}  // namespace lumio::testing
