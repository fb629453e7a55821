// The real program on a real X display: started from a copy in a fresh
// folder, watched from outside through the screen, the window tree and the
// files it writes. Every wait is bounded; every child is stopped and the
// Caps Lock state put back whatever happens.
#include <X11/keysym.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <chrono>
#include <fstream>
#include <iostream>
#include <memory>
#include <set>
#include <thread>

#include "e2e/announcement_checks.h"
#include "e2e/e2e_support.h"
#include "support/process.h"
#include "support/x_screen.h"

// After gtest: X's headers define None, True and False as macros.
#include <X11/extensions/XTest.h>

namespace lumio::testing::e2e {
namespace {

using namespace std::chrono_literals;

// The area every text of the program lands in, with room around it: the
// banner's five lines (y 300-420) and the 72 px announcement (y 300-372).
constexpr int kAreaX = 0, kAreaY = 250, kAreaWidth = 1280, kAreaHeight = 200;

// Only the last 20 KiB of the program's own output go into a failure message.
std::string Tail(const std::string& text) { return text.size() > 20000 ? text.substr(text.size() - 20000) : text; }

enum class Ending;

class ProgramTest : public ::testing::Test {
 protected:
  // Starts the program, ends it one way while the banner is up and checks
  // nothing is left behind.
  void EndDuringIntroduction(Ending ending);

  void SetUp() override {
    screen_ = std::make_unique<XScreen>();
    capsWasOn_ = screen_->capsLockOn();
    if (capsWasOn_) SetCapsLock(false);
    RepaintRoot(*screen_);
    programFolder_ = std::make_unique<TempFolder>("lumio-e2e-program");
    workFolder_ = std::make_unique<TempFolder>("lumio-e2e-cwd");
    executable_ = CopyExecutable(ProgramExecutable(), programFolder_->path());
  }

  void TearDown() override {
    if (capsHeld_) screen_->releaseKey(XK_Caps_Lock);
    for (auto& program : programs_) {
      program->stop();
      if (HasFailure())
        std::cerr << "--- program stderr (pid " << program->pid() << "):\n" << Tail(program->standardError()) << "\n";
    }
    programs_.clear();
    for (::Window window : windows_) screen_->destroyWindow(window);
    windows_.clear();
    if (screen_->capsLockOn() != capsWasOn_) SetCapsLock(capsWasOn_);
    RepaintRoot(*screen_);
  }

  void SetCapsLock(bool on) {
    if (screen_->capsLockOn() == on) return;
    screen_->tapKey(XK_Caps_Lock);
    WaitUntil([&] { return screen_->capsLockOn() == on; }, 2s);
  }

  ChildProcess& Start(const std::filesystem::path& executable,
                      std::vector<std::pair<std::string, std::string>> setEnvironment = {},
                      std::vector<std::string> unsetEnvironment = {}) {
    ChildProcess::Options options;
    options.executable = executable;
    // A working folder of its own shows the list file goes next to the
    // executable, not wherever the program was started from.
    options.workingFolder = workFolder_->path();
    options.setEnvironment = std::move(setEnvironment);
    options.unsetEnvironment = std::move(unsetEnvironment);
    programs_.push_back(std::make_unique<ChildProcess>(options));
    return *programs_.back();
  }
  ChildProcess& Start() { return Start(executable_); }

  ::Window MakeWindow(int x, int y, int w, int h, std::uint32_t rgb, bool desktop = false) {
    const ::Window window = screen_->createWindow(x, y, w, h, rgb, desktop);
    windows_.push_back(window);
    return window;
  }

  // The desktop sits below the text area so that erasing the text is seen
  // on the bare root and on an ordinary window lying across its right half.
  void MakeDesktopAndApplication() {
    desktop_ = MakeWindow(0, 600, 1280, 424, 0x305070, true);
    application_ = MakeWindow(700, 280, 500, 200, 0x808080);
  }

  ::Window WaitForMainWindow(ChildProcess& program) {
    ::Window main = 0;
    WaitUntil(
        [&] {
          const auto titled = ViewableWindowsTitled(*screen_, kTitle);
          if (!titled.empty()) main = titled.front();
          return main != 0 || !program.running();
        },
        5s);
    return main;
  }

  GreenArea AreaGreen() const { return GrabGreen(*screen_, kAreaX, kAreaY, kAreaWidth, kAreaHeight); }
  bool AreaHasGreen() const { return AreaGreen().any(); }

  // The introduction is over: desktop back, banner gone, first poll done.
  bool WaitForPolling(std::chrono::milliseconds timeout) {
    const std::filesystem::path list = programFolder_->path() / "list.txt";
    return WaitUntil([&] { return screen_->isViewable(desktop_) && !AreaHasGreen() && std::filesystem::exists(list); },
                     timeout);
  }

  std::unique_ptr<XScreen> screen_;
  std::unique_ptr<TempFolder> programFolder_, workFolder_;
  std::filesystem::path executable_;
  std::vector<std::unique_ptr<ChildProcess>> programs_;
  std::vector<::Window> windows_;
  ::Window desktop_ = 0, application_ = 0;
  bool capsWasOn_ = false;
  bool capsHeld_ = false;
};

// --- The introduction -------------------------------------------------------

TEST_F(ProgramTest, IntroductionPaintsTheBannerHidesTheDesktopAndThenWritesTheDefaultList) {
  MakeDesktopAndApplication();
  const auto started = Clock::now();
  ChildProcess& program = Start();

  // Five bands: their cell tops and heights.
  struct Band {
    int top, height;
  };
  constexpr Band kBands[] = {{300, 32}, {340, 20}, {360, 20}, {380, 20}, {400, 20}};
  GreenArea banner;
  const bool painted = WaitUntil(
      [&] {
        banner = AreaGreen();
        for (const Band& band : kBands)
          if (!FirstGreenRow(banner, kAreaY, band.top, band.top + band.height)) return false;
        return true;
      },
      3s);
  const long long bannerMs = MsSince(started);
  ASSERT_TRUE(painted) << "no five-line banner 3 s after start; " << program.standardError();
  std::cout << "[ figures  ] banner complete " << bannerMs << " ms after start\n";

  // Each line's first green row is at its cell top, give or take the font's
  // internal leading; nothing above the first line or below the last.
  EXPECT_FALSE(FirstGreenRow(banner, kAreaY, kAreaY, 300)) << "green above the banner";
  EXPECT_FALSE(FirstGreenRow(banner, kAreaY, 420, kAreaY + kAreaHeight)) << "green below the banner";
  std::vector<int> leading;  // first green row less the cell top, line by line
  for (const Band& band : kBands) {
    const auto first = FirstGreenRow(banner, kAreaY, band.top, band.top + band.height);
    ASSERT_TRUE(first);
    EXPECT_LE(*first, band.top + band.height * 3 / 10) << "line with its cell at y=" << band.top;
    leading.push_back(*first - band.top);
  }
  // The four small lines share one font and all start with a capital.
  for (std::size_t i = 2; i < leading.size(); ++i)
    EXPECT_NEAR(leading[i], leading[1], 1) << "line " << i + 1 << " is off its 20 px step";
  EXPECT_GE(banner.left, kTextLeft - 2);
  EXPECT_LE(banner.left, kTextLeft + 8);
  EXPECT_GT(banner.right, kTextLeft + 300) << "the lines are long; the banner looks cut";

  EXPECT_TRUE(WaitUntil([&] { return !screen_->isViewable(desktop_); }, 2s)) << "desktop window still mapped";
  EXPECT_NE(WaitForMainWindow(program), 0u) << "no window titled \"" << kTitle << "\"";

  // Well inside the seven seconds everything is still as it was, and the
  // list file is written by the first poll, not before.
  std::this_thread::sleep_until(started + 5s);
  ASSERT_TRUE(program.running());
  EXPECT_TRUE(AreaHasGreen()) << "banner gone before 5 s";
  EXPECT_FALSE(screen_->isViewable(desktop_)) << "desktop back before 5 s";
  EXPECT_FALSE(std::filesystem::exists(programFolder_->path() / "list.txt")) << "list written during the introduction";

  const bool erased = WaitUntil([&] { return !AreaHasGreen() && screen_->isViewable(desktop_); }, 8s);
  const long long endMs = MsSince(started);
  ASSERT_TRUE(erased) << "banner still shown or desktop still hidden " << endMs << " ms after start";
  std::cout << "[ figures  ] introduction over " << endMs << " ms after start\n";

  const std::filesystem::path list = programFolder_->path() / "list.txt";
  const std::string expected = DefaultKeyListBytes();
  ASSERT_EQ(expected.size(), 422u);
  WaitUntil([&] { return ReadWholeFile(list) == expected; }, 3s);
  EXPECT_EQ(ReadWholeFile(list), expected);
  EXPECT_FALSE(std::filesystem::exists(workFolder_->path() / "list.txt")) << "list written to the working folder";
  EXPECT_TRUE(program.running()) << program.standardError();
}

// --- The Caps Lock announcement ---------------------------------------------

TEST_F(ProgramTest, CapsLockIsAnnouncedAfterReleaseWhileAnotherWindowHasTheFocus) {
  MakeDesktopAndApplication();
  ChildProcess& program = Start();
  ASSERT_NE(WaitForMainWindow(program), 0u) << program.standardError();
  ASSERT_TRUE(WaitForPolling(15s)) << "the introduction did not end";
  screen_->setFocus(application_);

  // Held well past 700 ms: every poll restarts the timer, so nothing shows.
  screen_->pressKey(XK_Caps_Lock);
  capsHeld_ = true;
  const auto pressed = Clock::now();
  bool greenWhileHeld = false;
  while (Clock::now() - pressed < 1500ms && !greenWhileHeld) {
    greenWhileHeld = AreaHasGreen();
    std::this_thread::sleep_for(20ms);
  }
  screen_->releaseKey(XK_Caps_Lock);
  capsHeld_ = false;
  const auto released = Clock::now();
  EXPECT_FALSE(greenWhileHeld) << "announced while the key was still down";
  ASSERT_TRUE(screen_->capsLockOn());

  const auto announcement = [&](Clock::time_point from, const char* what) {
    return WatchAnnouncement([&] { return screen_->grab(kAreaX, kAreaY, kAreaWidth, kAreaHeight); }, from, what,
                             {.notBefore = 350ms, .within = 5s, .goneWithin = 5100ms, .shownAtLeast = 200ms});
  };

  const GreenArea on = announcement(released, "Caps Lock is ON");
  ASSERT_TRUE(on.any());
  ExpectWholeAnnouncement(on);

  screen_->tapKey(XK_Caps_Lock);
  const auto releasedAgain = Clock::now();
  ASSERT_FALSE(screen_->capsLockOn());
  const GreenArea off = announcement(releasedAgain, "Caps Lock is OFF");
  ASSERT_TRUE(off.any());
  EXPECT_NEAR(off.left, on.left, 2);
  EXPECT_NEAR(off.top, on.top, 2);
  EXPECT_GT(off.right, on.right + 10) << "\"Caps Lock is OFF\" should be wider than \"Caps Lock is ON\"";
  EXPECT_TRUE(program.running()) << program.standardError();
}

// --- One instance -----------------------------------------------------------

TEST_F(ProgramTest, SecondStartLeavesNoTrace) {
  MakeDesktopAndApplication();
  ChildProcess& first = Start();
  ASSERT_NE(WaitForMainWindow(first), 0u) << first.standardError();
  ASSERT_TRUE(WaitForPolling(15s)) << "the introduction did not end";

  // A copy in another folder, with another environment, is still the same
  // program on the same display.
  TempFolder otherFolder("lumio-e2e-second");
  ChildProcess& second =
      Start(CopyExecutable(ProgramExecutable(), otherFolder.path()), {}, {"XDG_RUNTIME_DIR", "HOME"});
  bool disturbed = false;
  std::size_t mostTitled = 0;
  std::optional<ExitStatus> exit;
  const auto started = Clock::now();
  while (!(exit = second.waitForExit(10ms)) && Clock::now() - started < 5s) {
    disturbed = disturbed || !screen_->isViewable(desktop_) || AreaHasGreen();
    mostTitled = std::max(mostTitled, ViewableWindowsTitled(*screen_, kTitle).size());
  }
  ASSERT_TRUE(exit) << "the second start did not end within 5 s";
  EXPECT_EQ(exit->code, 0) << exit->describe() << "\n" << second.standardError();
  std::cout << "[ figures  ] second start ended after " << MsSince(started) << " ms\n";
  EXPECT_FALSE(disturbed) << "the second start hid the desktop or painted on the screen";
  EXPECT_LE(mostTitled, 1u) << "the second start showed a window";
  EXPECT_FALSE(std::filesystem::exists(otherFolder.path() / "list.txt")) << "the second start wrote a list";
  EXPECT_TRUE(first.running()) << "the first instance went away";
  EXPECT_EQ(ViewableWindowsTitled(*screen_, kTitle).size(), 1u);
}

// --- Ending during the introduction -----------------------------------------

enum class Ending { CloseWindow, Terminate, Interrupt };

void ProgramTest::EndDuringIntroduction(Ending ending) {
  MakeDesktopAndApplication();
  ChildProcess& program = Start();
  const ::Window main = WaitForMainWindow(program);
  ASSERT_NE(main, 0u) << program.standardError();
  ASSERT_TRUE(WaitUntil([&] { return AreaHasGreen() && !screen_->isViewable(desktop_); }, 3s))
      << "no banner, or the desktop was not hidden";
  std::this_thread::sleep_for(300ms);  // let the whole banner be drawn first

  switch (ending) {
    case Ending::CloseWindow: SendDeleteWindow(*screen_, main); break;
    case Ending::Terminate: program.sendSignal(SIGTERM); break;
    case Ending::Interrupt: program.sendSignal(SIGINT); break;
  }
  const auto exit = program.waitForExit(5s);
  ASSERT_TRUE(exit) << "still running 5 s later";
  // Ended by a signal's default action, it could not have tidied up.
  EXPECT_TRUE(exit->code.has_value()) << exit->describe();
  EXPECT_TRUE(WaitUntil([&] { return screen_->isViewable(desktop_); }, 2s)) << "desktop window left unmapped";
  EXPECT_TRUE(WaitUntil([&] { return !AreaHasGreen(); }, 2s)) << "banner left on the screen";
}

TEST_F(ProgramTest, ClosingTheWindowDuringTheIntroductionGivesBackTheDesktopAndErasesTheBanner) {
  EndDuringIntroduction(Ending::CloseWindow);
}

TEST_F(ProgramTest, SigtermDuringTheIntroductionGivesBackTheDesktopAndErasesTheBanner) {
  EndDuringIntroduction(Ending::Terminate);
}

TEST_F(ProgramTest, SigintDuringTheIntroductionGivesBackTheDesktopAndErasesTheBanner) {
  EndDuringIntroduction(Ending::Interrupt);
}

// --- A bad list file --------------------------------------------------------

TEST_F(ProgramTest, BlankLineInTheListShowsOneMessageBoxWhilePollingGoesOn) {
  MakeDesktopAndApplication();
  const std::filesystem::path list = programFolder_->path() / "list.txt";
  const std::string listBytes = "1\r\n\r\n2\r\n";
  {
    std::ofstream out(list, std::ios::binary);
    out << listBytes;
  }
  ChildProcess& program = Start();
  const ::Window main = WaitForMainWindow(program);
  ASSERT_NE(main, 0u) << program.standardError();

  const std::set<::Window> known{main, desktop_, application_};
  std::vector<::Window> shown;
  ASSERT_TRUE(WaitUntil(
      [&] {
        shown = MessageBoxes(*screen_, known);
        return !shown.empty();
      },
      15s))
      << "no message box after the introduction";
  ASSERT_EQ(shown.size(), 1u);
  const ::Window box = shown.front();
  EXPECT_EQ(TitleOf(screen_->display(), box), kTitle);

  // A hundred ticks later it is still that one box, and no other.
  const auto since = Clock::now();
  while (Clock::now() - since < 2s) {
    const std::vector<::Window> now = MessageBoxes(*screen_, known);
    ASSERT_EQ(now.size(), 1u) << "after " << MsSince(since) << " ms";
    ASSERT_EQ(now.front(), box) << "the box was replaced by another";
    std::this_thread::sleep_for(50ms);
  }
  EXPECT_EQ(ReadWholeFile(list), listBytes) << "the user's list was changed";
  EXPECT_TRUE(program.running()) << program.standardError();
}

// The program writes list.txt and nothing else: a failure box, dismissed
// with a click on its OK, leaves the home folder, the configuration folder
// and (as root) /etc as they were. FLTK's own boxes wrote preference files.
TEST_F(ProgramTest, AFailureBoxClickedAwayWritesNothingOutsideTheProgramsFolder) {
  const TempFolder home("lumio-e2e-home"), config("lumio-e2e-config"), etc("lumio-e2e-etc");
  const std::filesystem::path etcWrites = etc.path() / "upper", work = etc.path() / "work";
  if (geteuid() == 0) {  // /etc through an overlay, in a mount namespace of this test's own
    std::filesystem::create_directories(etcWrites);
    std::filesystem::create_directories(work);
    const std::string layers = "lowerdir=/etc,upperdir=" + etcWrites.string() + ",workdir=" + work.string();
    ASSERT_EQ(unshare(CLONE_NEWNS), 0) << std::strerror(errno);
    ASSERT_EQ(mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr), 0) << std::strerror(errno);
    ASSERT_EQ(mount("overlay", "/etc", "overlay", 0, layers.c_str()), 0) << std::strerror(errno);
  }
  MakeDesktopAndApplication();
  const std::filesystem::path list = programFolder_->path() / "list.txt";
  std::ofstream(list, std::ios::binary) << "x\r\n";
  ChildProcess& program = Start(executable_, {{"HOME", home.path()}, {"XDG_CONFIG_HOME", config.path()}});
  const std::set<::Window> known{WaitForMainWindow(program), desktop_, application_};
  std::vector<::Window> shown;
  ASSERT_TRUE(WaitUntil([&] { return !(shown = MessageBoxes(*screen_, known)).empty(); }, 15s)) << "no box";
  std::ofstream(list, std::ios::binary) << "30\r\n";  // mended: this box is the last

  // OK sits in the box's bottom right corner, 60 by at least 25 pixels,
  // 10 in from either edge.
  Display* dpy = screen_->display();
  XWindowAttributes box{};
  ASSERT_NE(XGetWindowAttributes(dpy, shown.front(), &box), 0);
  int x = 0, y = 0;
  ::Window child = 0;
  XTranslateCoordinates(dpy, shown.front(), screen_->root(), box.width - 40, box.height - 22, &x, &y, &child);
  XTestFakeMotionEvent(dpy, DefaultScreen(dpy), x, y, CurrentTime);
  XTestFakeButtonEvent(dpy, 1, True, CurrentTime);
  XTestFakeButtonEvent(dpy, 1, False, CurrentTime);
  screen_->sync();
  EXPECT_TRUE(WaitUntil([&] { return MessageBoxes(*screen_, known).empty(); }, 3s)) << "the click missed OK";

  program.sendSignal(SIGTERM);
  ASSERT_TRUE(program.waitForExit(5s));
  EXPECT_TRUE(std::filesystem::is_empty(home.path()));
  EXPECT_TRUE(std::filesystem::is_empty(config.path()));
  EXPECT_TRUE(!std::filesystem::exists(etcWrites) || std::filesystem::is_empty(etcWrites)) << "written into /etc";
}

// --- Hostile surroundings ---------------------------------------------------

TEST_F(ProgramTest, SigkillDuringTheIntroductionStillGivesBackTheDesktop) {
  MakeDesktopAndApplication();
  ChildProcess& program = Start();
  ASSERT_NE(WaitForMainWindow(program), 0u) << program.standardError();
  ASSERT_TRUE(WaitUntil([&] { return !screen_->isViewable(desktop_); }, 3s)) << "the desktop was not hidden";
  program.sendSignal(SIGKILL);
  ASSERT_TRUE(program.waitForExit(2s));
  EXPECT_TRUE(WaitUntil([&] { return screen_->isViewable(desktop_); }, 2s)) << "desktop window left unmapped";
}

// A pipe or an endless device swapped in for the list while the program
// polls: one box says so, the program neither blocks nor spins, and a
// SIGTERM still ends it at once.
TEST_F(ProgramTest, SpecialFilesSwappedInForTheListAreRefusedAndSigtermStillEnds) {
  MakeDesktopAndApplication();
  const std::filesystem::path list = programFolder_->path() / "list.txt";
  const std::filesystem::path spare = programFolder_->path() / "spare";
  for (const bool fifo : {true, false}) {
    SCOPED_TRACE(fifo ? "pipe" : "link to /dev/zero");
    std::filesystem::remove(list);
    ChildProcess& program = Start();
    const ::Window main = WaitForMainWindow(program);
    ASSERT_NE(main, 0u) << program.standardError();
    ASSERT_TRUE(WaitForPolling(15s)) << "the introduction did not end";
    if (fifo)
      ASSERT_EQ(mkfifo(spare.c_str(), 0600), 0);
    else
      std::filesystem::create_symlink("/dev/zero", spare);
    std::filesystem::rename(spare, list);  // in one step, between two ticks

    const std::set<::Window> known{main, desktop_, application_};
    ASSERT_TRUE(WaitUntil([&] { return !MessageBoxes(*screen_, known).empty(); }, 3s)) << "no failure box";
    const double cpuBefore = CpuSeconds(program.pid()).value_or(0);
    std::this_thread::sleep_for(1s);
    EXPECT_LT(CpuSeconds(program.pid()).value_or(0) - cpuBefore, 0.5) << "spinning";
    EXPECT_EQ(MessageBoxes(*screen_, known).size(), 1u);

    program.sendSignal(SIGTERM);
    const auto exit = program.waitForExit(1s);
    ASSERT_TRUE(exit) << "SIGTERM did not end it within a second";
    EXPECT_TRUE(exit->code.has_value()) << exit->describe();
  }
}

// Run as an ordinary user from a folder it may not write to, with no list:
// the failure's box stays until the user closes it, then the program ends
// with a non-zero status and leaves nothing held: the next start runs.
TEST_F(ProgramTest, AListThatCannotBeWrittenIsReportedUntilDismissedAndNothingIsLeftHeld) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to make an ordinary user";
  const std::string user = "lumio-e2e-user";
  if (std::system(("id -u " + user + " >/dev/null 2>&1 || useradd --system --no-create-home " + user).c_str()) != 0)
    GTEST_SKIP() << "cannot make the user " << user;
  // Root's folders, readable by all and writable by nobody else.
  std::filesystem::permissions(programFolder_->path(), std::filesystem::perms(0755));
  std::filesystem::permissions(workFolder_->path(), std::filesystem::perms(0755));
  std::vector<std::pair<std::string, std::string>> environment;
  if (const char* authority = std::getenv("XAUTHORITY"); authority != nullptr && authority[0] != '\0') {
    const std::filesystem::path copy = workFolder_->path() / "Xauthority";
    std::filesystem::copy_file(authority, copy);
    std::filesystem::permissions(copy, std::filesystem::perms(0644));
    environment.emplace_back("XAUTHORITY", copy.string());
  }
  const auto startAsUser = [&] {
    ChildProcess::Options options;
    options.executable = "/usr/bin/setpriv";
    options.arguments = {"--reuid=" + user, "--regid=" + user, "--clear-groups", "--", executable_.string()};
    options.workingFolder = workFolder_->path();
    options.setEnvironment = environment;
    programs_.push_back(std::make_unique<ChildProcess>(options));
    return programs_.back().get();
  };

  MakeDesktopAndApplication();
  ChildProcess& program = *startAsUser();
  const ::Window main = WaitForMainWindow(program);
  ASSERT_NE(main, 0u) << program.standardError();
  const std::set<::Window> known{main, desktop_, application_};
  std::vector<::Window> shown;
  ASSERT_TRUE(WaitUntil([&] { return !(shown = MessageBoxes(*screen_, known)).empty(); }, 15s)) << "no box";
  ASSERT_EQ(shown.size(), 1u);
  const auto since = Clock::now();
  while (Clock::now() - since < 2s) {  // a hundred ticks: still the one box
    const std::vector<::Window> now = MessageBoxes(*screen_, known);
    ASSERT_EQ(now, shown) << "after " << MsSince(since) << " ms";
    std::this_thread::sleep_for(50ms);
  }
  EXPECT_TRUE(program.running());

  SendDeleteWindow(*screen_, shown.front());  // the user closes the box
  const auto exit = program.waitForExit(3s);
  ASSERT_TRUE(exit) << "still running after the box was closed";
  ASSERT_TRUE(exit->code.has_value()) << exit->describe();
  EXPECT_NE(*exit->code, 0);
  EXPECT_TRUE(screen_->isViewable(desktop_));
  EXPECT_FALSE(std::filesystem::exists(programFolder_->path() / "list.txt"));

  ChildProcess& next = *startAsUser();
  EXPECT_NE(WaitForMainWindow(next), 0u) << "the next start did not run: " << next.standardError();
}

// --- A Wayland session -------------------------------------------------------

TEST_F(ProgramTest, UnderWaylandTheProgramSaysOnceWhatItCanSeeOfTheKeyboardAndGoesOn) {
  // In a Wayland session the program reads this machine's keyboard lights.
  bool machineHasLights = false;
  std::error_code error;
  for (std::filesystem::directory_iterator it("/sys/class/leds", error), end; !error && it != end; it.increment(error))
    machineHasLights = machineHasLights || it->path().filename().string().ends_with("::capslock");
  for (const bool wayland : {true, false}) {
    ChildProcess& program = wayland ? Start(executable_, {{"WAYLAND_DISPLAY", "wayland-lumio-test"}})
                                    : Start(executable_, {}, {"WAYLAND_DISPLAY"});
    ASSERT_NE(WaitForMainWindow(program), 0u) << program.standardError();
    const std::string said = program.standardError();
    program.stop();
    std::size_t mentions = 0;
    for (std::size_t at = said.find("Wayland"); at != std::string::npos; at = said.find("Wayland", at + 1)) ++mentions;
    if (wayland) {
      EXPECT_NE(said.find("Wayland session (WAYLAND_DISPLAY=wayland-lumio-test)"), std::string::npos) << said;
      EXPECT_EQ(said.find("Wayland session"), said.rfind("Wayland session")) << "said more than once: " << said;
      EXPECT_NE(said.find(machineHasLights ? "Caps Lock is followed through the lights of"
                                           : "no keyboard lights in /sys/class/leds, so the program sees nothing "
                                             "while a Wayland window has the focus"),
                std::string::npos)
          << said;
    } else {
      EXPECT_EQ(mentions, 0u) << said;
      EXPECT_EQ(said.find("lights"), std::string::npos) << "an X11 session reads no lights: " << said;
    }
  }
}

// --- Asleep while nothing happens --------------------------------------------

// Between presses and edits the program does not wake at all, yet an edit
// of the list made meanwhile (sed -i saves by renaming a new file over it)
// decides the next press, and a deleted list is written again at once.
TEST_F(ProgramTest, WhileAsleepAnEditOfTheListDecidesTheNextPressAndADeletedListIsRewritten) {
  MakeDesktopAndApplication();
  ChildProcess& program = Start();
  ASSERT_NE(WaitForMainWindow(program), 0u) << program.standardError();
  ASSERT_TRUE(WaitForPolling(15s)) << "the introduction did not end";
  screen_->setFocus(application_);
  const std::filesystem::path list = programFolder_->path() / "list.txt";

  // Not one wake-up in 300 ms, where polling makes fifteen.
  const auto asleep = [&] {
    return WaitUntil(
        [&] {
          const auto before = Wakeups(program.pid());
          std::this_thread::sleep_for(300ms);
          return before && Wakeups(program.pid()) == before;
        },
        5s);
  };
  const auto sed = [&](const std::string& script) {
    return RunToEnd({"/bin/sed", {"-i", script, list.string()}, {}, {}, {}}, 5s).succeeded();
  };
  // A Caps Lock press, and whether it is announced within 1.5 s.
  const auto announced = [&] {
    screen_->tapKey(XK_Caps_Lock);
    const bool shown = WaitUntil([&] { return AreaHasGreen(); }, 1500ms);
    if (shown) WaitUntil([&] { return !AreaHasGreen(); }, 3s);
    return shown;
  };

  ASSERT_TRUE(asleep()) << "it never rests";
  ASSERT_TRUE(sed("/^58\\r$/d"));  // Caps Lock off the list
  ASSERT_EQ(ReadWholeFile(list).find("\r\n58\r\n"), std::string::npos);
  EXPECT_FALSE(announced()) << "announced after 58 was taken off the list";

  ASSERT_TRUE(asleep());
  ASSERT_TRUE(sed("s/^57\\r$/57\\r\\n58\\r/"));  // and back on it
  ASSERT_EQ(ReadWholeFile(list), DefaultKeyListBytes());
  EXPECT_TRUE(announced()) << "not announced with 58 back on the list";

  ASSERT_TRUE(asleep());
  std::filesystem::remove(list);
  EXPECT_TRUE(WaitUntil([&] { return ReadWholeFile(list) == DefaultKeyListBytes(); }, 2s)) << "not rewritten";
  EXPECT_TRUE(asleep()) << "no rest after the rewrite";
  EXPECT_TRUE(program.running()) << program.standardError();
}

// --- No display -------------------------------------------------------------

class NoDisplayTest : public ::testing::Test {
 protected:
  void ExpectCleanRefusal(std::vector<std::pair<std::string, std::string>> set, std::vector<std::string> unset) {
    TempFolder folder("lumio-e2e-nodisplay");
    ChildProcess::Options options;
    options.executable = CopyExecutable(ProgramExecutable(), folder.path());
    options.workingFolder = folder.path();
    options.setEnvironment = std::move(set);
    options.unsetEnvironment = std::move(unset);
    ChildProcess program(options);
    const auto exit = program.waitForExit(10s);
    ASSERT_TRUE(exit) << "still running 10 s later";
    ASSERT_TRUE(exit->code.has_value()) << exit->describe() << "\n" << program.standardError();
    EXPECT_NE(*exit->code, 0);
    std::string message = program.standardError();
    EXPECT_FALSE(message.empty()) << "nothing said on stderr";
    std::transform(message.begin(), message.end(), message.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    EXPECT_NE(message.find("display"), std::string::npos) << "the message does not say what is missing: " << message;
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "list.txt"));
  }
};

TEST_F(NoDisplayTest, WithoutDisplayVariableTheProgramSaysSoAndFails) {
  ExpectCleanRefusal({}, {"DISPLAY", "WAYLAND_DISPLAY"});
}

TEST_F(NoDisplayTest, WithAnUnreachableDisplayTheProgramSaysSoAndFails) {
  ExpectCleanRefusal({{"DISPLAY", ":987"}}, {"WAYLAND_DISPLAY"});
}

}  // namespace
}  // namespace lumio::testing::e2e
