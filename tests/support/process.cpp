#include "support/process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "support/wait.h"

extern char** environ;

namespace lumio::testing {

std::string ExitStatus::describe() const {
  if (code) return "exit status " + std::to_string(*code);
  if (signal) return "killed by signal " + std::to_string(*signal) + " (" + strsignal(*signal) + ")";
  return "not exited";
}

namespace {

// The environment the child gets: ours, less what is unset, with what is set
// replacing any earlier value.
std::vector<std::string> ChildEnvironment(const ChildProcess::Options& options) {
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry = *e;
    const std::string name = entry.substr(0, entry.find('='));
    bool drop = false;
    for (const std::string& unset : options.unsetEnvironment) drop = drop || name == unset;
    for (const auto& set : options.setEnvironment) drop = drop || name == set.first;
    if (!drop) env.push_back(entry);
  }
  for (const auto& [name, value] : options.setEnvironment) env.push_back(name + "=" + value);
  return env;
}

std::vector<char*> CStrings(std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (std::string& s : strings) pointers.push_back(s.data());
  pointers.push_back(nullptr);
  return pointers;
}

ExitStatus Decode(int status) {
  ExitStatus exit;
  if (WIFEXITED(status)) exit.code = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) exit.signal = WTERMSIG(status);
  return exit;
}

}  // namespace

ChildProcess::ChildProcess(const Options& options) {
  std::vector<std::string> argv{options.executable.string()};
  argv.insert(argv.end(), options.arguments.begin(), options.arguments.end());
  std::vector<std::string> env = ChildEnvironment(options);
  std::vector<char*> argvPointers = CStrings(argv);
  std::vector<char*> envPointers = CStrings(env);
  const std::string out = (outputFolder_.path() / "stdout").string();
  const std::string err = (outputFolder_.path() / "stderr").string();

  const std::string folder = options.workingFolder.string();
  const pid_t parent = getpid();

  // fork and exec rather than posix_spawn, for one thing posix_spawn cannot
  // do: tie the child's life to ours, so a test killed on its time limit
  // leaves no program behind to spoil the next one. Only async-signal-safe
  // calls between the two; everything else was prepared above.
  pid_ = fork();
  if (pid_ < 0) throw std::runtime_error("cannot start " + argv[0] + ": " + std::strerror(errno));
  if (pid_ == 0) {
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) _exit(127);  // we died before the line above
    // The program's own SIGTERM/SIGINT handling is under test: it must not
    // inherit a blocked or ignored signal from whatever runs the tests.
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    for (int s : {SIGTERM, SIGINT, SIGHUP, SIGPIPE, SIGCHLD}) ::signal(s, SIG_DFL);
    const int in = open("/dev/null", O_RDONLY);
    const int outFd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int errFd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || outFd < 0 || errFd < 0) _exit(127);
    dup2(in, STDIN_FILENO);
    dup2(outFd, STDOUT_FILENO);
    dup2(errFd, STDERR_FILENO);
    if (!folder.empty() && chdir(folder.c_str()) != 0) _exit(127);
    execve(argvPointers[0], argvPointers.data(), envPointers.data());
    _exit(127);
  }
}

ChildProcess::ChildProcess(const std::function<void()>& body) {
  const pid_t parent = getpid();
  pid_ = fork();
  if (pid_ < 0) throw std::runtime_error(std::string("cannot fork: ") + std::strerror(errno));
  if (pid_ == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);
    body();
    _exit(0);  // never back into the test's own code
  }
}

ChildProcess::~ChildProcess() { stop(); }

bool ChildProcess::running() {
  if (exit_ || pid_ <= 0) return false;
  int status = 0;
  const pid_t r = waitpid(pid_, &status, WNOHANG);
  if (r == pid_) {
    exit_ = Decode(status);
    return false;
  }
  return r == 0;
}

std::optional<ExitStatus> ChildProcess::waitForExit(std::chrono::milliseconds timeout) {
  WaitUntil([this] { return !running(); }, timeout, [] { std::this_thread::sleep_for(std::chrono::milliseconds(5)); });
  return exit_;
}

void ChildProcess::sendSignal(int signal) {
  if (running()) ::kill(pid_, signal);
}

void ChildProcess::stop(std::chrono::milliseconds grace) {
  if (running()) exit_ = Decode(EndChild(pid_, grace));
}

int EndChild(pid_t pid, std::chrono::milliseconds grace) {
  ::kill(pid, SIGTERM);
  int status = 0;
  if (WaitUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; }, grace)) return status;
  ::kill(pid, SIGKILL);
  waitpid(pid, &status, 0);  // SIGKILL cannot be refused: no hang
  return status;
}

std::string ChildProcess::standardOutput() const { return ReadWholeFile(outputFolder_.path() / "stdout"); }
std::string ChildProcess::standardError() const { return ReadWholeFile(outputFolder_.path() / "stderr"); }

RunResult RunToEnd(const ChildProcess::Options& options, std::chrono::milliseconds patience) {
  ChildProcess child(options);
  RunResult result{child.waitForExit(patience), "", ""};
  child.stop();
  result.output = child.standardOutput();
  result.error = child.standardError();
  if (!result.exit) result.error += "(" + options.executable.string() + " did not end in time)";
  return result;
}

std::filesystem::path CopyExecutable(const std::filesystem::path& executable, const std::filesystem::path& folder) {
  const std::filesystem::path copy = folder / executable.filename();
  std::filesystem::copy_file(executable, copy, std::filesystem::copy_options::overwrite_existing);
  std::filesystem::permissions(copy, std::filesystem::status(executable).permissions());
  return copy;
}

std::optional<double> CpuSeconds(pid_t pid) {
  const std::optional<long long> ns = CpuNanoseconds(pid);
  return ns ? std::optional(static_cast<double>(*ns) / 1e9) : std::nullopt;
}

std::optional<long> PeakResidentKib(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  return std::nullopt;
}

std::optional<long long> CpuNanoseconds(pid_t pid) {
  std::error_code ec;
  std::optional<long long> total;
  for (const auto& task : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", ec)) {
    long long ns = 0;
    if (std::ifstream(task.path() / "schedstat") >> ns) total = total.value_or(0) + ns;
  }
  return total;
}

std::optional<long long> Wakeups(pid_t pid, bool mainThreadOnly) {
  std::error_code ec;
  std::optional<long long> total;
  for (const auto& task : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", ec)) {
    if (mainThreadOnly && task.path().filename() != std::to_string(pid)) continue;
    std::ifstream in(task.path() / "status");
    std::string line;
    while (std::getline(in, line))
      if (line.rfind("voluntary_ctxt_switches:", 0) == 0) total = total.value_or(0) + std::stoll(line.substr(24));
  }
  return total;
}

std::string ReadWholeFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace lumio::testing
