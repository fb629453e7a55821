// The real program in a real Wayland session: sway, headless, with XWayland,
// and a native Wayland terminal (foot) holding the focus, so that XWayland
// hears no key at all. The keyboard lights are faked at their real path:
// this process enters a mount namespace of its own and lays a tmpfs over
// /sys/class, which its children (sway, foot, the program) see and nothing
// else on the machine does. sway refuses to run as root, so the session runs
// as the user nobody. Screenshots come from grim, as the session's user.
//
// Everything started ends with the test: sway, foot and the program are
// owned child processes, and what sway starts on its own (XWayland, the
// background, shells) is adopted by this process as a subreaper and ended
// last.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "e2e/announcement_checks.h"
#include "e2e/e2e_support.h"
#include "support/process.h"
#include "support/x_screen.h"

namespace lumio::testing::e2e {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr uid_t kUser = 65534;  // nobody
constexpr const char* kFootId = "lumio-e2e-foot";
const fs::path kCapsLight = "/sys/class/leds/input3::capslock/brightness";
// The part of the screen the texts are painted in (as in program_test.cpp).
constexpr int kAreaY = 250, kAreaHeight = 200;

long long MsSince(Clock::time_point t) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count();
}

// Our children per /proc: after the owned ones have ended, only what we
// adopted as a subreaper.
std::vector<pid_t> Children() {
  std::vector<pid_t> children;
  std::error_code error;
  for (fs::directory_iterator it("/proc", error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    const std::string stat = ReadWholeFile(it->path() / "stat");
    const std::size_t close = stat.rfind(')');
    int parent = 0;
    if (close != std::string::npos && std::sscanf(stat.c_str() + close + 1, " %*c %d", &parent) == 1 &&
        parent == getpid())
      children.push_back(std::stoi(name));
  }
  return children;
}

// Makes this process the one that inherits the orphans of its children,
// and ends and reaps them when it goes away.
class AdoptedProcesses {
 public:
  AdoptedProcesses() { prctl(PR_SET_CHILD_SUBREAPER, 1); }
  ~AdoptedProcesses() {
    for (int round = 0; round < 3; ++round) {  // one ending may orphan another
      const std::vector<pid_t> left = Children();
      if (left.empty()) break;
      for (pid_t pid : left) kill(pid, SIGTERM);
      const auto deadline = Clock::now() + 2s;
      for (pid_t pid : left) {
        pid_t reaped = 0;
        while ((reaped = waitpid(pid, nullptr, WNOHANG)) == 0 && Clock::now() < deadline)
          std::this_thread::sleep_for(10ms);
        if (reaped == 0) {  // still running: this it cannot refuse
          kill(pid, SIGKILL);
          waitpid(pid, nullptr, 0);
        }
      }
    }
    prctl(PR_SET_CHILD_SUBREAPER, 0);
  }
  AdoptedProcesses(const AdoptedProcesses&) = delete;
  AdoptedProcesses& operator=(const AdoptedProcesses&) = delete;
};

void WriteFile(const fs::path& file, const std::string& text) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);  // in place: the same file, new contents
  out << text;
}

void GiveToUser(const fs::path& path, fs::perms perms) {
  fs::permissions(path, perms);
  if (chown(path.c_str(), kUser, kUser) != 0) throw std::runtime_error("cannot chown " + path.string());
}

// A binary PPM, as grim writes it, as a screen image whose top-left corner
// is at (x, y).
std::optional<ScreenImage> ImageFromPpm(const std::string& bytes, int x, int y) {
  int width = 0, height = 0, maxValue = 0, headerLength = 0;
  if (std::sscanf(bytes.c_str(), "P6 %d %d %d%n", &width, &height, &maxValue, &headerLength) != 3 ||
      maxValue != 255 || width <= 0 || height <= 0)
    return std::nullopt;
  const std::size_t start = static_cast<std::size_t>(headerLength) + 1;  // one blank after the header
  const std::size_t size = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3;
  if (bytes.size() < start + size) return std::nullopt;
  ScreenImage image{x, y, width, height, {}};
  image.pixels.reserve(size / 3);
  for (std::size_t i = start; i < start + size; i += 3)
    image.pixels.push_back({static_cast<unsigned char>(bytes[i]), static_cast<unsigned char>(bytes[i + 1]),
                            static_cast<unsigned char>(bytes[i + 2])});
  return image;
}

class WaylandSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (geteuid() != 0) GTEST_SKIP() << "needs root: a mount namespace of its own, and the user nobody";
    for (const char* tool : {"/usr/bin/sway", "/usr/bin/Xwayland", "/usr/bin/grim", "/usr/bin/foot"})
      if (access(tool, X_OK) != 0) GTEST_SKIP() << tool << " is missing: scripts/install-deps.sh installs it";
    // Only this process and its children see the fake lights.
    ASSERT_EQ(unshare(CLONE_NEWNS), 0) << std::strerror(errno);
    ASSERT_EQ(mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr), 0) << std::strerror(errno);
    ASSERT_EQ(mount("none", "/sys/class", "tmpfs", 0, "mode=755"), 0) << std::strerror(errno);
    for (const char* light : {"input3::capslock", "input3::numlock", "input3::scrolllock", "phy0-led"}) {
      fs::create_directories(fs::path("/sys/class/leds") / light);
      WriteFile(fs::path("/sys/class/leds") / light / "brightness", "0\n");
      WriteFile(fs::path("/sys/class/leds") / light / "max_brightness", "1\n");
    }

    // A folder the user may enter, with the runtime folder, a home and the
    // program's folder (it writes list.txt beside itself) as its own.
    fs::permissions(scratch_.path(), fs::perms(0755));
    for (const char* folder : {"run", "home", "program"}) {
      fs::create_directory(scratch_.path() / folder);
      GiveToUser(scratch_.path() / folder, fs::perms(0700));
    }
    GiveToUser(CopyExecutable(ProgramExecutable(), scratch_.path() / "program"), fs::perms(0755));
    // sway says which X display XWayland has by running a command with it.
    WriteFile(scratch_.path() / "sway.conf",
              "xwayland enable\n"
              "output HEADLESS-1 mode 1280x800 position 0 0 bg #203040 solid_color\n"
              "exec printf %s \"$DISPLAY\" > " + (run() / "x-display").string() + "\n");

    sway_ = startAsUser({"WLR_BACKENDS=headless", "WLR_LIBINPUT_NO_DEVICES=1", "WLR_RENDERER=pixman",
                         "WLR_HEADLESS_OUTPUTS=1", "sway", "-c", (scratch_.path() / "sway.conf").string()});
    ASSERT_TRUE(WaitUntil(
        [&] {
          std::error_code error;
          for (const auto& entry : fs::directory_iterator(run(), error)) {
            const std::string name = entry.path().filename().string();
            if (name.rfind("wayland-", 0) == 0 && name.find('.') == std::string::npos) wayland_ = name;
            if (name.rfind("sway-ipc.", 0) == 0) swaySocket_ = entry.path().string();
          }
          xDisplay_ = ReadWholeFile(run() / "x-display");
          return !wayland_.empty() && !swaySocket_.empty() && !xDisplay_.empty();
        },
        10s))
        << "sway did not start:\n" << sway_->standardError();
  }

  void TearDown() override {
    for (ChildProcess* child : {program_.get(), foot_.get(), sway_.get()}) {
      if (child == nullptr) continue;
      child->stop();
      if (HasFailure()) std::cerr << "--- stderr (pid " << child->pid() << "):\n" << child->standardError() << "\n";
    }
    program_.reset();
    foot_.reset();
    sway_.reset();
  }

  fs::path run() const { return scratch_.path() / "run"; }

  // The command and its environment, as the user nobody with nothing of ours.
  std::unique_ptr<ChildProcess> startAsUser(const std::vector<std::string>& environmentAndCommand) {
    ChildProcess::Options options;
    options.executable = "/usr/bin/setpriv";
    options.arguments = {"--reuid=65534", "--regid=65534", "--clear-groups", "--", "/usr/bin/env", "-i",
                         "PATH=/usr/bin:/bin", "LANG=C.UTF-8", "HOME=" + (scratch_.path() / "home").string(),
                         "XDG_RUNTIME_DIR=" + run().string()};
    if (!wayland_.empty()) options.arguments.push_back("WAYLAND_DISPLAY=" + wayland_);
    if (!swaySocket_.empty()) options.arguments.push_back("SWAYSOCK=" + swaySocket_);
    options.arguments.insert(options.arguments.end(), environmentAndCommand.begin(), environmentAndCommand.end());
    options.workingFolder = scratch_.path() / "home";
    return std::make_unique<ChildProcess>(options);
  }

  // Runs a short command of the session to its end; its output, or nothing.
  std::optional<std::string> runToEnd(const std::vector<std::string>& command) {
    std::unique_ptr<ChildProcess> child = startAsUser(command);
    const std::optional<ExitStatus> exit = child->waitForExit(5s);
    if (!exit || exit->code != 0) return std::nullopt;
    return child->standardOutput();
  }

  bool swaymsg(const std::string& command) { return runToEnd({"swaymsg", command}).has_value(); }

  // The band of the screen the texts are painted in.
  GreenArea screenshotGreen() {
    const auto bytes = runToEnd({"grim", "-t", "ppm", "-g", "0," + std::to_string(kAreaY) + " 1280x" +
                                                          std::to_string(kAreaHeight), "-"});
    const auto image = bytes ? ImageFromPpm(*bytes, 0, kAreaY) : std::nullopt;
    if (!image) ADD_FAILURE() << "grim gave no screenshot";
    return image ? FindGreen(*image) : GreenArea{};
  }

  // Sets the Caps Lock light as the compositor would, and returns the
  // announcement that follows, fully drawn; checks it is erased in time.
  GreenArea announcementAfterLight(const char* value, const char* what) {
    WriteFile(kCapsLight, value);
    const auto changed = Clock::now();
    GreenArea first;
    const bool shown = WaitUntil([&] { return (first = screenshotGreen()).any(); }, 4s);
    const long long shownMs = MsSince(changed);
    const auto shownAt = Clock::now();
    EXPECT_TRUE(shown) << what << ": nothing painted within 4 s of the light's change";
    if (!shown) return {};
    EXPECT_GE(shownMs, 400) << what << " painted too soon after the light's change";
    std::this_thread::sleep_for(100ms);  // the whole text, not a frame caught half-way
    const GreenArea text = screenshotGreen();
    std::this_thread::sleep_until(shownAt + 900ms);
    EXPECT_FALSE(screenshotGreen().any()) << what << ": still on the screen 0.9 s after it was first seen";
    std::cout << "[ figures  ] " << what << ": first seen " << shownMs << " ms after the light changed\n";
    return text;
  }

  TempFolder scratch_{"lumio-e2e-wayland"};
  AdoptedProcesses adopted_;  // made before any child, gone after them all: it ends what they leave behind
  std::unique_ptr<ChildProcess> sway_, foot_, program_;
  std::string wayland_, swaySocket_, xDisplay_;
};

TEST_F(WaylandSessionTest, CapsLockIsAnnouncedFromTheKeyboardLightWhileAWaylandWindowHasTheFocus) {
  foot_ = startAsUser({"foot", "-a", kFootId, "sleep", "600"});
  const std::string foot = std::string("[app_id=\"^") + kFootId + "$\"]";
  ASSERT_TRUE(WaitUntil([&] { return swaymsg(foot + " nop"); }, 10s)) << "no foot window";

  const auto started = Clock::now();
  program_ = startAsUser({"DISPLAY=" + xDisplay_, (scratch_.path() / "program" / "lumio-capslock").string()});
  ASSERT_TRUE(WaitUntil([&] { return swaymsg("[title=\"^Lumio - Caps Lock$\"] nop") || !program_->running(); }, 5s));
  ASSERT_TRUE(program_->running()) << program_->standardError();
  // sway gives the new window the focus; the user goes back to the terminal.
  ASSERT_TRUE(swaymsg(foot + " focus"));
  ASSERT_TRUE(swaymsg("[app_id=\"^" + std::string(kFootId) + "$\" con_id=__focused__] nop")) << "foot is not focused";

  // The banner, whole: a first line of 32 px and four of 20 px below it.
  std::this_thread::sleep_until(started + 2s);
  const GreenArea banner = screenshotGreen();
  for (const int lineTop : {300, 340, 360, 380, 400})
    EXPECT_TRUE(FirstGreenRow(banner, kAreaY, lineTop, lineTop + 20)) << "no banner line at y=" << lineTop;
  EXPECT_NEAR(banner.left, kTextLeft, 8);
  EXPECT_GT(banner.right, kTextLeft + 300) << "the banner looks cut";
  EXPECT_FALSE(FirstGreenRow(banner, kAreaY, 420, kAreaY + kAreaHeight)) << "green below the banner";
  std::this_thread::sleep_until(started + 9s);
  EXPECT_FALSE(screenshotGreen().any()) << "the banner is still there 9 s after start";

  const std::string said = program_->standardError();
  EXPECT_NE(said.find("Caps Lock is followed through the lights of 1 keyboard"), std::string::npos) << said;
  EXPECT_EQ(said.find("Wayland session"), said.rfind("Wayland session")) << "said more than once: " << said;

  // Through XWayland the lock is off all along: only the light says "on".
  const GreenArea on = announcementAfterLight("1\n", "Caps Lock is ON");
  ASSERT_TRUE(on.any());
  ExpectWholeAnnouncement(on);

  const GreenArea off = announcementAfterLight("0\n", "Caps Lock is OFF");
  ASSERT_TRUE(off.any());
  EXPECT_NEAR(off.left, on.left, 2);
  EXPECT_NEAR(off.top, on.top, 2);
  EXPECT_GT(off.right, on.right + 10) << "\"Caps Lock is OFF\" should be wider than \"Caps Lock is ON\"";
  EXPECT_TRUE(program_->running()) << program_->standardError();
}

}  // namespace
}  // namespace lumio::testing::e2e
