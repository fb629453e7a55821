// Prints what the real program costs while nobody types in a Wayland
// session of its own, over the same stretch as a bare loop that wakes every
// 20 ms and preads one keyboard light (the least following the lights can
// cost):
//   e2e_wayland_measure sway|kwin SECONDS [path/to/lumio-capslock]
// Needs root. One keyboard's lights are faked at their real path in both
// sessions, as a desktop machine has them. Under KWin the program is named
// by a desktop entry as install.sh writes it, so that KWin offers it the
// lock keys' state. Not a test: it asserts nothing, it only reports.
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <thread>

#include "e2e/e2e_support.h"
#include "e2e/wayland_sessions.h"

namespace {

// A process that wakes every 20 ms and preads one file, nothing else: the
// least a 20 ms look at a light can cost.
std::unique_ptr<lumio::testing::ChildProcess> BarePreadLoop(const std::filesystem::path& file) {
  return std::make_unique<lumio::testing::ChildProcess>([file] {
    const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    char text[32];
    timespec next{};
    clock_gettime(CLOCK_MONOTONIC, &next);
    for (;;) {  // until it is ended
      next.tv_nsec += 20'000'000;
      if (next.tv_nsec >= 1'000'000'000) {
        next.tv_nsec -= 1'000'000'000;
        ++next.tv_sec;
      }
      clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr);
      if (pread(fd, text, sizeof text, 0) < 0) return;
    }
  });
}

}  // namespace

int main(int argc, char** argv) {
  using namespace lumio::testing;
  using namespace lumio::testing::e2e;
  using namespace std::chrono_literals;
  const std::string_view session = argc > 1 ? argv[1] : "";
  if ((session != "sway" && session != "kwin") || argc < 3 || argc > 4 || geteuid() != 0) {
    std::fprintf(stderr, "usage, as root: %s sway|kwin SECONDS [path/to/lumio-capslock]\n", argv[0]);
    return 2;
  }
  const std::filesystem::path program = argc > 3 ? std::filesystem::absolute(argv[3]) : ProgramExecutable();
  if (const std::string failed = EnterFakeDevices({"input3"}); !failed.empty()) {
    std::fprintf(stderr, "%s\n", failed.c_str());
    return 1;
  }
  TempFolder scratch("lumio-measure-wayland");
  AdoptedProcesses adopted;
  std::unique_ptr<SwaySession> sway;
  std::unique_ptr<KwinSession> kwin;
  std::unique_ptr<ChildProcess> running;
  if (session == "sway") {
    sway = std::make_unique<SwaySession>(scratch.path());
    if (sway->failure().empty()) running = sway->startAsUser({sway->giveToUser(program).string()});
  } else {
    const std::filesystem::path copy = CopyExecutable(program, scratch.path());
    std::filesystem::create_directories(scratch.path() / "home/.local/share/applications");
    WriteFile(scratch.path() / "home/.local/share/applications/lumio-capslock.desktop",
              "[Desktop Entry]\nType=Application\nName=Lumio - Caps Lock\nExec=" + copy.string() +
                  "\nX-KDE-Wayland-Interfaces=org_kde_kwin_keystate\n");
    kwin = std::make_unique<KwinSession>(scratch.path());
    if (kwin->failure().empty()) running = kwin->start(copy, {});
  }
  if (running == nullptr) {
    std::fprintf(stderr, "%s\n", sway ? sway->failure().c_str() : kwin->failure().c_str());
    return 1;
  }
  std::this_thread::sleep_for(9s);  // the introduction, and the work of the first polls
  const auto bare = BarePreadLoop(CapsLight("input3"));
  std::this_thread::sleep_for(1s);
  const auto figures = MeasureIdle({running->pid(), bare->pid()}, std::chrono::seconds(std::atoi(argv[2])));
  if (!running->running()) {
    std::fprintf(stderr, "the program ended:\n%s\n", running->standardError().c_str());
    return 1;
  }
  const std::string said = running->standardError();
  std::printf("%s, idle (%s):\n  program            %6.3f %% of a core, %5.1f wake-ups/s\n"
              "  bare 20 ms pread   %6.3f %% of a core, %5.1f wake-ups/s\n  program - bare     %6.3f %% of a core\n",
              session == "sway" ? "sway" : "KWin", said.substr(0, said.find('\n')).c_str(), figures[0].cpuPercent,
              figures[0].wakeupsPerSecond, figures[1].cpuPercent, figures[1].wakeupsPerSecond,
              figures[0].cpuPercent - figures[1].cpuPercent);
  return 0;
}
