// The Windows program and the Win32 backend under Wine, watched from the X
// side: what they paint is read back from the screen, the "Progman" window
// is a real window we make, keys are pressed through XTest.
//
// Wine runs these programs in its virtual desktop "LumioTest" (set up by
// the win32.wine_virtual_desktop fixture), which covers the whole screen.
#include <gtest/gtest.h>

#include <X11/keysym.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "keymonitor/key_list.h"
#include "support/process.h"
#include "support/x_screen.h"

namespace lumio::testing {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

const std::filesystem::path kWin32Build = LUMIO_WIN32_BUILD_DIR;
constexpr const char* kTitle = "Lumio - Caps Lock";
constexpr const char* kProgmanTitle = "lumio test progman";

// Where the announcement and the banner go: text cells from (250, 300) down
// to the banner's last line at 400. The program's own window sits lower,
// in the middle of the screen, and the Progman stand-in at the bottom right.
struct Box {
  int x, y, width, height;
};
constexpr Box kTextArea{240, 290, 880, 150};

std::filesystem::path WindowsProgram() { return kWin32Build / "lumio-capslock.exe"; }
std::filesystem::path Helper(const std::string& name) { return kWin32Build / "tests" / "win32" / name; }

std::unique_ptr<ChildProcess> StartUnderWine(const std::filesystem::path& exe, std::vector<std::string> arguments = {},
                                             const std::filesystem::path& workingFolder = {}) {
  arguments.insert(arguments.begin(), exe.string());
  return std::make_unique<ChildProcess>(ChildProcess::Options{LUMIO_WINE, arguments, workingFolder, {}, {}});
}

// Where the green is in the box.
GreenArea GreenAt(const XScreen& screen, const Box& box) {
  return GrabGreen(screen, box.x, box.y, box.width, box.height);
}

// Runs a program to its end; true when it succeeded.
bool RunProgram(const std::string& program, std::vector<std::string> arguments) {
  return RunToEnd({program, std::move(arguments), {}, {}, {}}, seconds(30)).succeeded();
}

int GreenIn(const XScreen& screen, const Box& box) { return screen.countGreen(box.x, box.y, box.width, box.height); }

int CountViewable(const XScreen& screen, const std::string& title) {
  return static_cast<int>(ViewableWindowsTitled(screen, title).size());
}

class WineDisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const auto& file : {WindowsProgram(), Helper("lumio-progman-window.exe"), Helper("lumio-paint-probe.exe")})
      ASSERT_TRUE(std::filesystem::exists(file)) << file << " is missing: build the win32 preset";
    // Whatever an earlier test left on the screen must be gone first.
    ASSERT_TRUE(WaitUntil([&] { return GreenIn(screen, kTextArea) == 0; }, seconds(10)));
  }
  // Whatever happened, the X server's Caps Lock is off for the tests after.
  void TearDown() override {
    if (screen.capsLockOn()) screen.tapKey(XK_Caps_Lock);
  }

  // Our "Progman": a window of that class, on the screen once this returns.
  // While it runs it also keeps Wine's virtual desktop up. With hungUntil,
  // it answers nothing until that file exists.
  ::Window StartProgman(const std::filesystem::path& hungUntil = {}) {
    std::vector<std::string> arguments{kProgmanTitle};
    if (!hungUntil.empty()) arguments.push_back("Z:" + hungUntil.string());
    progman = StartUnderWine(Helper("lumio-progman-window.exe"), arguments);
    std::vector<::Window> found;
    EXPECT_TRUE(WaitUntil([&] { return !(found = ViewableWindowsTitled(screen, kProgmanTitle)).empty(); }, seconds(30)))
        << "the Progman stand-in never appeared";
    return found.empty() ? 0 : found.front();
  }

  // Runs the probe to its end, Wine's start-up included.
  RunResult Probe(const std::vector<std::string>& arguments) {
    std::vector<std::string> all{Helper("lumio-paint-probe.exe").string()};
    all.insert(all.end(), arguments.begin(), arguments.end());
    return RunToEnd({LUMIO_WINE, all, {}, {}, {}}, seconds(60));
  }

  XScreen screen;
  std::unique_ptr<ChildProcess> progman;
};

TEST_F(WineDisplayTest, ScreenSurfacePaintsOverEverythingAndTheRepaintErasesIt) {
  StartProgman();
  ASSERT_EQ(GreenIn(screen, kTextArea), 0);

  const RunResult painted = Probe({"paint", "250", "300", "Caps Lock is ON"});
  ASSERT_TRUE(painted.succeeded()) << painted.error;
  ASSERT_TRUE(WaitUntil([&] { return GreenIn(screen, kTextArea) > 500; }, seconds(5)))
      << "the text never reached the X screen";
  const GreenArea extent = GreenAt(screen, kTextArea);
  EXPECT_GE(extent.left, 250);
  EXPECT_LE(extent.left, 262) << "the first glyph starts at the left edge";
  EXPECT_GE(extent.top, 300);
  EXPECT_LE(extent.bottom, 300 + 72);

  // It stays until something erases it.
  std::this_thread::sleep_for(milliseconds(1000));
  EXPECT_GT(GreenIn(screen, kTextArea), 500);

  const RunResult erased = Probe({"erase"});
  ASSERT_TRUE(erased.succeeded()) << erased.error;
  EXPECT_TRUE(WaitUntil([&] { return GreenIn(screen, kTextArea) == 0; }, seconds(5)));
}

TEST_F(WineDisplayTest, DesktopIconsHideAndShowTheProgmanWindow) {
  const ::Window window = StartProgman();
  ASSERT_NE(window, 0u);

  ASSERT_TRUE(Probe({"hide-icons"}).succeeded());
  EXPECT_TRUE(WaitUntil([&] { return !screen.isViewable(window); }, seconds(5)));
  ASSERT_TRUE(Probe({"show-icons"}).succeeded());
  EXPECT_TRUE(WaitUntil([&] { return screen.isViewable(window); }, seconds(5)));
}

TEST_F(WineDisplayTest, ProgramShowsTheBannerHidesTheIconsRunsOnceAndWritesItsList) {
  const ::Window progmanWindow = StartProgman();
  ASSERT_NE(progmanWindow, 0u);
  TempFolder home("lumio-wine-program");
  TempFolder elsewhere("lumio-wine-cwd");
  const std::filesystem::path exe = CopyExecutable(WindowsProgram(), home.path());

  auto program = StartUnderWine(exe, {}, elsewhere.path());

  // The banner: a line at each of the five tops, all from the left edge.
  ASSERT_TRUE(WaitUntil([&] { return GreenIn(screen, kTextArea) > 2000; }, seconds(30))) << "no banner";
  const auto bannerSeen = Clock::now();
  for (const int top : {300, 340, 360, 380, 400}) {
    SCOPED_TRACE("line at " + std::to_string(top));
    EXPECT_GT(GreenIn(screen, {250, top, 800, 20}), 20);
  }
  const GreenArea extent = GreenAt(screen, kTextArea);
  EXPECT_GE(extent.left, 250);
  EXPECT_LE(extent.left, 256);
  EXPECT_GE(extent.top, 300);

  // The icons are away for the introduction; the window comes up after the banner.
  EXPECT_TRUE(WaitUntil([&] { return !screen.isViewable(progmanWindow); }, seconds(5)));
  EXPECT_TRUE(WaitUntil([&] { return CountViewable(screen, kTitle) == 1; }, seconds(5)));

  // A second copy leaves at once, quietly, without a window of its own.
  auto second = StartUnderWine(exe, {}, elsewhere.path());
  const std::optional<ExitStatus> secondExit = second->waitForExit(seconds(30));
  ASSERT_TRUE(secondExit) << "the second copy kept running";
  EXPECT_EQ(secondExit->code, 0) << secondExit->describe();
  EXPECT_EQ(CountViewable(screen, kTitle), 1);
  EXPECT_TRUE(program->running());

  // Seven seconds in, the banner goes and the icons come back.
  ASSERT_TRUE(WaitUntil([&] { return screen.isViewable(progmanWindow); }, seconds(20)))
      << "the icons were never given back";
  const auto iconsBack = Clock::now();
  EXPECT_GE(iconsBack - bannerSeen, seconds(5)) << "shown again before the introduction was over";
  EXPECT_TRUE(WaitUntil([&] { return GreenIn(screen, kTextArea) == 0; }, seconds(5))) << "banner not erased";

  // The first look at the key list finds none and writes the default one
  // beside the .exe, not in the folder it was started from.
  const std::filesystem::path list = home.path() / "list.txt";
  ASSERT_TRUE(WaitUntil([&] { return std::filesystem::exists(list) && std::filesystem::file_size(list) == 422; },
                        seconds(10)))
      << "no default list.txt beside the .exe";
  EXPECT_EQ(ReadWholeFile(list), DefaultKeyListBytes());
  EXPECT_FALSE(std::filesystem::exists(elsewhere.path() / "list.txt")) << "not in the current folder";
  std::printf("[ figures  ] banner seen to icons back: %lld ms\n",
              static_cast<long long>(std::chrono::duration_cast<milliseconds>(iconsBack - bannerSeen).count()));
  EXPECT_TRUE(program->running());
}

TEST_F(WineDisplayTest, CapsLockIsAnnouncedAfterItsReleaseAndErasedAgain) {
  // Start with Caps Lock off, so that pressing it once announces "ON".
  if (screen.capsLockOn()) screen.tapKey(XK_Caps_Lock);
  ASSERT_TRUE(WaitUntil([&] { return !screen.capsLockOn(); }, seconds(2)));

  // What each text looks like here, painted the same way: the right edge
  // tells "ON" from "OFF".
  const ::Window progmanWindow = StartProgman();
  int onRight = 0, offRight = 0;
  for (const auto& [text, right] : {std::pair<const char*, int*>{"Caps Lock is ON", &onRight},
                                    std::pair<const char*, int*>{"Caps Lock is OFF", &offRight}}) {
    ASSERT_TRUE(Probe({"paint", "250", "300", text}).succeeded());
    ASSERT_TRUE(WaitUntil([&] { return GreenIn(screen, kTextArea) > 500; }, seconds(5)));
    *right = GreenAt(screen, kTextArea).right;
    ASSERT_TRUE(Probe({"erase"}).succeeded());
    ASSERT_TRUE(WaitUntil([&] { return GreenIn(screen, kTextArea) == 0; }, seconds(5)));
  }
  ASSERT_GT(offRight, onRight + 10);

  TempFolder home("lumio-wine-caps");
  const std::filesystem::path exe = CopyExecutable(WindowsProgram(), home.path());
  const std::filesystem::path list = home.path() / "list.txt";
  auto program = StartUnderWine(exe, {}, home.path());
  ASSERT_TRUE(WaitUntil([&] { return GreenIn(screen, kTextArea) > 2000; }, seconds(30))) << "no banner";
  ASSERT_TRUE(WaitUntil([&] { return GreenIn(screen, kTextArea) == 0; }, seconds(20))) << "banner stayed";
  ASSERT_TRUE(WaitUntil([&] { return std::filesystem::exists(list); }, seconds(5))) << "no polling";

  // Idle: the main thread's wake-ups over 3 s, past the start's own (under
  // Wine every call into its server adds one).
  std::this_thread::sleep_for(milliseconds(1500));
  const long long before = Wakeups(program->pid(), true).value_or(-1);
  std::this_thread::sleep_for(seconds(3));
  std::printf("[ figures  ] idle: %.1f wake-ups a second of the main thread\n",
              static_cast<double>(Wakeups(program->pid(), true).value_or(-1) - before) / 3.0);

  // Another program's window has the keyboard: the stand-in, which says
  // which keys reach it.
  bool focused = false;
  for (int tries = 0; tries < 5 && !focused; ++tries) {
    screen.setFocus(progmanWindow);
    screen.tapKey(XK_A);
    focused = WaitUntil([&] { return progman->standardOutput().find("key 65") != std::string::npos; }, seconds(1));
  }
  ASSERT_TRUE(focused) << "the stand-in never had the focus";

  // A tap as short as XTest makes it: the press counts however late the
  // tick it wakes comes.
  screen.pressKey(XK_Caps_Lock);
  screen.releaseKey(XK_Caps_Lock);
  const auto released = Clock::now();
  ASSERT_TRUE(WaitUntil([&] { return GreenIn(screen, kTextArea) > 500; }, seconds(5))) << "nothing announced";
  const auto shown = Clock::now();
  const GreenArea extent = GreenAt(screen, kTextArea);
  EXPECT_LE(extent.left, 262);
  EXPECT_NEAR(extent.right, onRight, 4) << "expected \"Caps Lock is ON\" (\"OFF\" ends at " << offRight << ")";
  ASSERT_TRUE(WaitUntil([&] { return GreenIn(screen, kTextArea) == 0; }, seconds(5))) << "never erased";
  const auto erased = Clock::now();

  const auto ms = [](auto d) { return static_cast<long long>(std::chrono::duration_cast<milliseconds>(d).count()); };
  std::printf("[ figures  ] release to announcement: %lld ms, announcement shown for: %lld ms\n", ms(shown - released),
              ms(erased - shown));
  EXPECT_GE(shown - released, milliseconds(400)) << "announced while the key could still be down";
  EXPECT_GE(erased - shown, milliseconds(400)) << "erased too early";

  // Caps Lock taken off the list by sed -i, which renames a new file over
  // it: the next press, which gives the server its Caps Lock back, is not
  // announced. A deleted list is written again at once.
  std::this_thread::sleep_for(milliseconds(300));
  ASSERT_TRUE(RunProgram("/bin/sed", {"-i", "/^58\\r$/d", list.string()}));
  screen.tapKey(XK_Caps_Lock);
  EXPECT_FALSE(WaitUntil([&] { return GreenIn(screen, kTextArea) > 500; }, milliseconds(1500)))
      << "announced after 58 was taken off the list";
  EXPECT_FALSE(screen.capsLockOn());
  std::filesystem::remove(list);
  EXPECT_TRUE(WaitUntil([&] { return ReadWholeFile(list) == DefaultKeyListBytes(); }, seconds(2))) << "not rewritten";
}

// A hung Explorer holds up neither the start, nor the introduction, nor the
// end (taskkill closing the program's windows), and its icons are shown
// again once it answers.
TEST_F(WineDisplayTest, AProgmanThatStopsAnsweringHoldsNothingUp) {
  TempFolder home("lumio-wine-hung");
  const ::Window progmanWindow = StartProgman(home.path() / "answer");
  const std::filesystem::path exe = CopyExecutable(WindowsProgram(), home.path());
  auto program = StartUnderWine(exe, {}, home.path());
  ASSERT_TRUE(WaitUntil([&] { return GreenIn(screen, kTextArea) > 2000; }, seconds(30))) << "the start waited";
  ASSERT_TRUE(WaitUntil([&] { return std::filesystem::exists(home.path() / "list.txt"); }, seconds(20)))
      << "the introduction waited";
  // taskkill, in the programs' own desktop, closes every window of ours.
  ASSERT_TRUE(
      RunProgram(LUMIO_WINE, {"explorer", "/desktop=LumioTest,1280x1024", "taskkill", "/im", "lumio-capslock.exe"}));
  EXPECT_TRUE(program->waitForExit(seconds(10))) << "the end waited";
  EXPECT_EQ(progman->standardOutput().find("answering"), std::string::npos) << "it answered too early";

  std::ofstream(home.path() / "answer").put('\n');
  ASSERT_TRUE(WaitUntil([&] { return progman->standardOutput().find("answering") != std::string::npos; }, seconds(5)));
  EXPECT_TRUE(WaitUntil([&] { return screen.isViewable(progmanWindow); }, seconds(5))) << "icons not back";
}

}  // namespace
}  // namespace lumio::testing
