#include "support/own_x_server.h"

#include <cstdlib>
#include <sstream>
#include <stdexcept>

#include "support/wait.h"

namespace lumio::testing {

std::filesystem::path FindProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::istringstream folders(path != nullptr ? path : "/usr/bin:/bin");
  std::string folder;
  while (std::getline(folders, folder, ':')) {
    if (folder.empty()) continue;
    const std::filesystem::path candidate = std::filesystem::path(folder) / name;
    std::error_code error;
    if (std::filesystem::is_regular_file(candidate, error)) return candidate;
  }
  return {};
}

namespace {

ChildProcess::Options XvfbOptions(const std::vector<std::string>& arguments) {
  const std::filesystem::path xvfb = FindProgram("Xvfb");
  if (xvfb.empty()) throw std::runtime_error("no Xvfb: run scripts/install-deps.sh");
  // The server picks a free display itself and writes its number to our
  // standard output: other tests may be starting servers at this moment.
  std::vector<std::string> all{"-displayfd", "1", "-nolisten", "tcp"};
  all.insert(all.end(), arguments.begin(), arguments.end());
  return {xvfb, all, {}, {}, {}};
}

}  // namespace

OwnXServer::OwnXServer(const std::vector<std::string>& arguments) : server_(XvfbOptions(arguments)) {
  const auto named = [this] { return server_.standardOutput().find('\n') != std::string::npos || !server_.running(); };
  const bool up = WaitUntil(named, std::chrono::seconds(10));
  const std::string out = server_.standardOutput();
  if (!up || out.find('\n') == std::string::npos)
    throw std::runtime_error("Xvfb did not start: " + server_.standardError());
  display_ = ":" + out.substr(0, out.find('\n'));
}

RunResult RunTool(const std::string& name, const std::vector<std::string>& arguments,
                  std::chrono::milliseconds patience) {
  const std::filesystem::path program = FindProgram(name);
  if (program.empty()) return {ExitStatus{127, std::nullopt}, "", name + " is not installed"};
  return RunToEnd({program, arguments, {}, {}, {}}, patience);
}

}  // namespace lumio::testing
