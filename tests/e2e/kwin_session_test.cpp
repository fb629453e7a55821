// The real program in KDE Plasma's compositor: KWin, headless, with
// XWayland, and a native Wayland window (wev) holding the focus. The program
// is installed as a user installs it (scripts/install.sh, into a home of
// the test's own), whose desktop entry is what makes KWin offer it the lock
// keys' state; KWin checks that as on a desktop. Caps Lock is pressed
// through KWin's fake input, as a keyboard would; no light is faked.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <unistd.h>

#include <iostream>
#include <string_view>
#include <thread>

#include "e2e/announcement_checks.h"
#include "e2e/wayland_sessions.h"

namespace lumio::testing::e2e {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr int kCapsLock = 58;  // evdev's, as DirectInput's

// Ends the program's own Wayland connection from outside, as a compositor
// does that drops a client or restarts: a copy of its socket, found by the
// compositor's name, shut down. XWayland's connection stays.
bool CutWaylandConnection(pid_t pid) {
  const int process = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
  bool cut = false;
  for (const auto& entry : fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd")) {
    const int fd = static_cast<int>(syscall(SYS_pidfd_getfd, process, std::stoi(entry.path().filename()), 0));
    sockaddr_un peer{};
    socklen_t size = sizeof peer;
    if (fd >= 0 && getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &size) == 0 && peer.sun_family == AF_UNIX &&
        std::string_view(peer.sun_path).ends_with("/wayland-lumio"))
      cut = shutdown(fd, SHUT_RDWR) == 0;
    if (fd >= 0) close(fd);
  }
  if (process >= 0) close(process);
  return cut;
}

TEST(KwinSessionTest, CapsLockIsFollowedThroughKWinsLockStateAndNothingWakesTheProgramWhileIdle) {
  if (geteuid() != 0) GTEST_SKIP() << "KWin runs as root here";
  for (const char* tool : {"/usr/bin/kwin_wayland", "/usr/bin/Xwayland", "/usr/bin/wev", "/usr/bin/dbus-daemon"})
    if (access(tool, X_OK) != 0) GTEST_SKIP() << tool << " is missing: scripts/install-deps.sh installs it";
  TempFolder scratch("lumio-e2e-kwin");
  AdoptedProcesses adopted;
  ChildProcess::Options install;
  install.executable = "/bin/bash";
  install.arguments = {LUMIO_SOURCE_DIR "/scripts/install.sh"};
  install.setEnvironment = {{"HOME", (scratch.path() / "home").string()}, {"LUMIO_BUILD_DIR", LUMIO_BUILD_DIR}};
  install.unsetEnvironment = {"XDG_DATA_HOME", "XDG_CONFIG_HOME"};
  const RunResult installed = RunToEnd(install, 120s);
  ASSERT_TRUE(installed.succeeded()) << installed.output << installed.error;

  KwinSession kwin(scratch.path());
  ASSERT_EQ(kwin.failure(), "");
  const auto started = Clock::now();
  auto program = kwin.start(scratch.path() / "home/.local/share/lumio-capslock/lumio-capslock", {});
  std::this_thread::sleep_for(1s);
  // The newest window has the focus; wev says when it gets it and each key.
  auto wev = kwin.start("/usr/bin/stdbuf", {"-oL", "/usr/bin/wev"});
  ASSERT_TRUE(WaitUntil([&] { return wev->standardOutput().find("wl_keyboard] enter") != std::string::npos; }, 10s))
      << "wev never had the focus\n" << kwin.kwinErrors();
  std::this_thread::sleep_until(started + 8s);  // the introduction
  const std::string said = program->standardError();
  std::cout << "[ stderr   ] " << said;
  EXPECT_NE(said.find("Caps Lock is followed through the compositor's lock state"), std::string::npos) << said;

  GreenArea texts[2];
  for (GreenArea& text : texts) {
    const auto pressed = Clock::now();
    ASSERT_TRUE(kwin.pressKey(kCapsLock));
    text = WatchAnnouncement([&] { return kwin.screenshot(250, 200).value_or(ScreenImage{}); }, pressed,
                             "Caps Lock pressed", {.notBefore = 400ms, .within = 4s, .goneWithin = 1600ms});
    ASSERT_TRUE(text.any()) << program->standardError();
  }
  EXPECT_GT(texts[1].right, texts[0].right + 10) << "\"Caps Lock is OFF\" should follow \"Caps Lock is ON\"";
  const std::string keys = wev->standardOutput();
  EXPECT_NE(keys.find("key: 66; state: 1"), keys.rfind("key: 66; state: 1")) << "Caps Lock did not reach wev twice";

  const IdleFigures idle = MeasureIdle({program->pid()}, 3s)[0];
  std::cout << "[ figures  ] idle under KWin: " << idle.cpuPercent << " % of a core, " << idle.wakeupsPerSecond
            << " wake-ups/s\n";
  EXPECT_LT(idle.wakeupsPerSecond, 1.0) << "the program does not rest while nothing happens";

  // With KWin's lock state gone the program turns to the lights, and says
  // that there are none to read here.
  ASSERT_TRUE(CutWaylandConnection(program->pid()));
  const std::string fallback = "no longer tells the lock state: no keyboard lights";
  EXPECT_TRUE(WaitUntil([&] { return program->standardError().find(fallback) != std::string::npos; }, 5s))
      << program->standardError();
  std::this_thread::sleep_for(500ms);
  EXPECT_TRUE(program->running()) << program->standardError();
}

}  // namespace
}  // namespace lumio::testing::e2e
