// An X server of the test's own (Xvfb), for tests that change what every
// client of a server shares: its keymap, its monitors, its window manager.
// It ends with the test process whatever happens.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "support/process.h"

namespace lumio::testing {

// The program of that name in $PATH; empty when there is none.
std::filesystem::path FindProgram(const std::string& name);

class OwnXServer {
 public:
  // Starts Xvfb with these arguments and waits until it names its display.
  // Throws std::runtime_error when it does not within 10 s.
  explicit OwnXServer(const std::vector<std::string>& arguments);
  const std::string& display() const { return display_; }

 private:
  ChildProcess server_;
  std::string display_;
};

// Runs a command-line tool from $PATH to its end (at most `patience`); an
// exit status of 127 for a tool that is not there.
RunResult RunTool(const std::string& name, const std::vector<std::string>& arguments,
                   std::chrono::milliseconds patience = std::chrono::seconds(10));

}  // namespace lumio::testing
