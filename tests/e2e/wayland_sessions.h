// Wayland sessions of the tests' own, headless with XWayland, for the
// end-to-end tests and the idle measurements: sway, run as the user nobody
// (it refuses root), and KWin, as root with a session bus of its own. And
// the keyboard lights faked at their real path, with udev's announcements
// of keyboards plugged in, in namespaces only this process and its children
// see. Every process started here ends with the object that started it.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/process.h"
#include "support/x_screen.h"

namespace lumio::testing::e2e {

// Written in place: the same file, new contents, as the kernel changes a light.
void WriteFile(const std::filesystem::path& file, const std::string& text);
// A binary PPM, as grim writes it, as a screen image whose top-left corner
// is at (x, y).
std::optional<ScreenImage> ImageFromPpm(const std::string& bytes, int x, int y);

// Makes this process the one that inherits the orphans of its children
// (XWayland, what a session starts on its own), and ends and reaps them
// when it goes away. Made before any child, gone after them all.
class AdoptedProcesses {
 public:
  AdoptedProcesses();
  ~AdoptedProcesses();
  AdoptedProcesses(const AdoptedProcesses&) = delete;
  AdoptedProcesses& operator=(const AdoptedProcesses&) = delete;
};

// Enters a mount and a network namespace of this process's own (root
// only). There a tmpfs over /sys/class holds the lights of the keyboards
// named ("input3": input3::capslock, ::numlock and ::scrolllock, all dark),
// and udev looks as if it runs, so that a monitor of udev's events
// listens. Empty when done, else what failed.
std::string EnterFakeDevices(const std::vector<std::string>& keyboards);
std::filesystem::path CapsLight(const std::string& keyboard);
// A keyboard's lights made or taken away, each announced as udev announces
// it: on the kernel's device-event netlink channel, in udev's group, which
// only this network namespace hears.
void PlugKeyboard(const std::string& keyboard);
void UnplugKeyboard(const std::string& keyboard);

// Each process's share of a core and wake-ups per second, over one stretch.
struct IdleFigures {
  double cpuPercent = 0;
  double wakeupsPerSecond = 0;
};
std::vector<IdleFigures> MeasureIdle(const std::vector<pid_t>& pids, std::chrono::milliseconds span);

// sway, headless, with XWayland, as the user nobody. `folder` becomes the
// session's: its run/ (XDG_RUNTIME_DIR), home/ and program/ folders are
// the user's.
class SwaySession {
 public:
  explicit SwaySession(const std::filesystem::path& folder);
  ~SwaySession();
  // Empty once sway answers, else what went wrong.
  const std::string& failure() const { return failure_; }
  const std::string& xDisplay() const { return xDisplay_; }
  std::filesystem::path home() const { return folder_ / "home"; }

  // A copy in program/ that the user owns and may run.
  std::filesystem::path giveToUser(const std::filesystem::path& executable);
  // The command and its environment, as the user nobody with nothing of ours.
  std::unique_ptr<ChildProcess> startAsUser(const std::vector<std::string>& environmentAndCommand);
  // Runs a short command of the session to its end; its output, or nothing.
  std::optional<std::string> runToEnd(const std::vector<std::string>& command);
  bool swaymsg(const std::string& command) { return runToEnd({"swaymsg", command}).has_value(); }
  // The whole width of the screen, `height` rows from `top`.
  std::optional<ScreenImage> screenshot(int top, int height);
  std::string swayErrors() const { return sway_ ? sway_->standardError() : ""; }

 private:
  ChildProcess::Options asUser(const std::vector<std::string>& environmentAndCommand) const;

  std::filesystem::path folder_;
  std::unique_ptr<ChildProcess> sway_;
  std::string wayland_, swaySocket_, xDisplay_, failure_;
};

// KWin, headless, with XWayland, as root. `folder`/home is HOME: whatever
// desktop entries its applications folder holds name the programs KWin
// trusts with its restricted interfaces (keystate for the program); the
// session adds entries for its own fake input and screenshots. KWin
// checks permissions as on a desktop.
class KwinSession {
 public:
  explicit KwinSession(const std::filesystem::path& folder);
  ~KwinSession();
  const std::string& failure() const { return failure_; }

  // A client of the session, XWayland's display set.
  ChildProcess::Options client(const std::filesystem::path& executable,
                               const std::vector<std::string>& arguments) const;
  std::unique_ptr<ChildProcess> start(const std::filesystem::path& executable,
                                      const std::vector<std::string>& arguments) {
    return std::make_unique<ChildProcess>(client(executable, arguments));
  }
  // A key pressed and released, as on a keyboard.
  bool pressKey(int evdevCode);
  std::optional<ScreenImage> screenshot(int top, int height);
  std::string kwinErrors() const { return kwin_ ? kwin_->standardError() : ""; }

 private:
  std::vector<std::pair<std::string, std::string>> environment() const;

  std::filesystem::path folder_;
  std::unique_ptr<ChildProcess> bus_, kwin_;
  std::string xDisplay_, failure_;
};

}  // namespace lumio::testing::e2e
