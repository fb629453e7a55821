// Prints figures about the real program on the display in $DISPLAY:
//   - time from start to the banner painted and to the window shown;
//   - over 20 Caps Lock presses, the delay from key release to the text on
//     the screen and from the text to its erasure, and the CPU used;
//   - CPU use over 30 s of plain polling after the introduction;
//   - over 10 deletions of list.txt, each from rest, the delay until the
//     default list is back whole;
//   - peak memory (VmHWM).
// Usage: e2e_measure [path/to/lumio-capslock] [presses] [idle seconds]
// Not a test: it asserts nothing about speed, it only reports.
#include <X11/keysym.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <stdexcept>
#include <thread>
#include <vector>

#include "e2e/e2e_support.h"
#include "support/process.h"
#include "support/x_screen.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using lumio::testing::ChildProcess;
using lumio::testing::XScreen;
namespace e2e = lumio::testing::e2e;

double MsBetween(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double, std::milli>(b - a).count();
}

// The rows of the first banner line and of the announcement's capital C:
// small enough to read back every millisecond or so.
bool GreenShown(const XScreen& screen) { return lumio::testing::GrabGreen(screen, 250, 300, 120, 72).any(); }

// Polls fast until the condition holds; the time it first held, or nothing.
template <class Condition>
std::optional<Clock::time_point> FirstTime(Condition condition, std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  while (Clock::now() < deadline) {
    if (condition()) return Clock::now();
    std::this_thread::sleep_for(500us);
  }
  return std::nullopt;
}

struct Summary {
  double median, p10, p90, min, max;
};

Summary Summarise(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const auto at = [&](double q) {
    return values[static_cast<std::size_t>(q * static_cast<double>(values.size() - 1) + 0.5)];
  };
  return {at(0.5), at(0.1), at(0.9), values.front(), values.back()};
}

void Print(const char* what, const std::vector<double>& values) {
  if (values.empty()) {
    std::printf("%-34s no samples\n", what);
    return;
  }
  const Summary s = Summarise(values);
  std::printf("%-34s median %7.1f ms  p10 %7.1f  p90 %7.1f  min %7.1f  max %7.1f  (n=%zu)\n", what, s.median, s.p10,
              s.p90, s.min, s.max, values.size());
}

int Measure(const std::filesystem::path& executable, int presses, int idleSeconds) {
  XScreen screen;
  const bool capsWasOn = screen.capsLockOn();
  if (capsWasOn) screen.tapKey(XK_Caps_Lock);
  e2e::RepaintRoot(screen);

  lumio::testing::TempFolder folder("lumio-measure");
  const ::Window desktop = screen.createWindow(0, 600, 1280, 424, 0x305070, true);
  const ::Window application = screen.createWindow(700, 280, 500, 200, 0x808080);

  ChildProcess::Options options;
  options.executable = lumio::testing::CopyExecutable(executable, folder.path());
  options.workingFolder = folder.path();
  const auto started = Clock::now();
  ChildProcess program(options);

  // Start-up: both looked for in one fast loop.
  std::optional<Clock::time_point> bannerAt, windowAt;
  const auto startDeadline = started + 10s;
  while ((!bannerAt || !windowAt) && Clock::now() < startDeadline && program.running()) {
    if (!bannerAt && GreenShown(screen)) bannerAt = Clock::now();
    if (!windowAt && !lumio::testing::ViewableWindowsTitled(screen, e2e::kTitle).empty()) windowAt = Clock::now();
    std::this_thread::sleep_for(500us);
  }
  const auto printSince = [&](const char* what, const std::optional<Clock::time_point>& at) {
    if (at)
      std::printf("%-36s%.1f ms\n", what, MsBetween(started, *at));
    else
      std::printf("%-36snever (within 10 s)\n", what);
  };
  printSince("start to banner painted", bannerAt);
  printSince("start to window shown", windowAt);

  const auto introOver = FirstTime(
      [&] {
        return screen.isViewable(desktop) && !GreenShown(screen) && std::filesystem::exists(folder.path() / "list.txt");
      },
      20s);
  if (!introOver) {
    std::fprintf(stderr, "the introduction did not end; program stderr:\n%s\n", program.standardError().c_str());
    return 1;
  }
  std::printf("start to introduction over          %.1f ms\n", MsBetween(started, *introOver));
  std::this_thread::sleep_for(500ms);

  // Plain polling.
  const auto idleCpu0 = lumio::testing::CpuSeconds(program.pid());
  const auto idle0 = Clock::now();
  std::this_thread::sleep_for(std::chrono::seconds(idleSeconds));
  const auto idleCpu1 = lumio::testing::CpuSeconds(program.pid());
  const double idleWall = MsBetween(idle0, Clock::now()) / 1000.0;
  if (idleCpu0 && idleCpu1)
    std::printf("CPU while polling (%d s)            %.2f %% of one core (%.2f s CPU in %.1f s)\n", idleSeconds,
                100.0 * (*idleCpu1 - *idleCpu0) / idleWall, *idleCpu1 - *idleCpu0, idleWall);

  // Caps Lock presses, the other window holding the focus.
  screen.setFocus(application);
  std::vector<double> toText, shownFor;
  int missed = 0;
  const auto pressCpu0 = lumio::testing::CpuSeconds(program.pid());
  const auto press0 = Clock::now();
  for (int i = 0; i < presses && program.running(); ++i) {
    screen.pressKey(XK_Caps_Lock);
    std::this_thread::sleep_for(80ms);
    screen.releaseKey(XK_Caps_Lock);
    const auto released = Clock::now();
    const auto on = FirstTime([&] { return GreenShown(screen); }, 5s);
    if (!on) {
      ++missed;
      continue;
    }
    const auto off = FirstTime([&] { return !GreenShown(screen); }, 5s);
    toText.push_back(MsBetween(released, *on));
    if (off) shownFor.push_back(MsBetween(*on, *off));
    std::this_thread::sleep_for(200ms);
  }
  const auto pressCpu1 = lumio::testing::CpuSeconds(program.pid());
  const double pressWall = MsBetween(press0, Clock::now()) / 1000.0;
  std::printf("Caps Lock presses                   %d (%d not announced)\n", presses, missed);
  Print("key release to text on screen", toText);
  Print("text on screen to erased", shownFor);
  if (pressCpu0 && pressCpu1)
    std::printf("CPU over the presses                %.2f %% of one core (%.2f s CPU in %.1f s)\n",
                100.0 * (*pressCpu1 - *pressCpu0) / pressWall, *pressCpu1 - *pressCpu0, pressWall);

  // A deleted list, each time after a rest: the default list back whole.
  const std::filesystem::path list = folder.path() / "list.txt";
  const std::uintmax_t defaultSize = e2e::DefaultKeyListBytes().size();
  std::vector<double> rewritten;
  for (int i = 0; i < 10 && program.running(); ++i) {
    std::this_thread::sleep_for(300ms);
    std::filesystem::remove(list);
    const auto removed = Clock::now();
    const auto back = FirstTime(
        [&] {
          std::error_code ec;
          return std::filesystem::file_size(list, ec) == defaultSize;
        },
        2s);
    if (back) rewritten.push_back(MsBetween(removed, *back));
  }
  Print("deleted list.txt to rewritten", rewritten);

  if (const auto peak = lumio::testing::PeakResidentKib(program.pid()))
    std::printf("peak memory (VmHWM)                 %ld KiB\n", *peak);

  program.stop();
  screen.destroyWindow(application);
  screen.destroyWindow(desktop);
  if (screen.capsLockOn() != capsWasOn) screen.tapKey(XK_Caps_Lock);
  e2e::RepaintRoot(screen);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const std::filesystem::path executable = argc > 1 ? std::filesystem::path(argv[1]) : e2e::ProgramExecutable();
    const int presses = argc > 2 ? std::atoi(argv[2]) : 20;
    const int idleSeconds = argc > 3 ? std::atoi(argv[3]) : 30;
    return Measure(executable, presses, idleSeconds);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "e2e_measure: %s\n", error.what());
    return 2;
  }
}
