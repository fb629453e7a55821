// The real program in Wayland sessions of the tests' own, sway's and KWin's
// (further down). sway runs headless, with XWayland, and a native Wayland
// terminal (foot) holding the focus, so that XWayland hears no key at all. sway has a layer shell: the texts are surfaces on its
// overlay layer, and a click on their letters reaches foot beneath, which
// reports it to the program it runs (mouse reporting on) and that program
// to a file; the clicks come from a virtual pointer of our own. The
// keyboard lights are faked at their real path: this process enters a mount namespace of its own and lays a tmpfs over
// /sys/class, which its children (sway, foot, the program) see and nothing
// else on the machine does. sway refuses to run as root, so the session runs
// as the user nobody. Screenshots come from grim, as the session's user.
//
// Everything started ends with the test: sway, foot and the program are
// owned child processes, and what sway starts on its own (XWayland, the
// background, shells) is adopted by this process as a subreaper and ended
// last.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "e2e/announcement_checks.h"
#include "e2e/e2e_support.h"
#include "e2e/wayland_sessions.h"
#include "overlay/std_font.h"
#include "platform/linux/x11/screen_surface_x11.h"
#include "support/process.h"
#include "support/x_screen.h"

namespace lumio::testing::e2e {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr const char* kFootId = "lumio-e2e-foot";
// The part of the screen the texts are painted in (as in program_test.cpp).
constexpr int kAreaY = 250, kAreaHeight = 200;
constexpr int kScreenWidth = 1280, kScreenHeight = 800;
// Clicks land left of this, clear of the program's own window in the middle.
constexpr int kClickRightmost = 470;

// The rows [top, bottom) of an image.
ScreenImage Rows(const ScreenImage& image, int top, int bottom) {
  ScreenImage rows{image.x, std::max(top, image.y), image.width, 0, {}};
  for (int y = rows.y; y < std::min(bottom, image.y + image.height); ++y, ++rows.height)
    for (int x = 0; x < image.width; ++x) rows.pixels.push_back(image.at(x, y - image.y));
  return rows;
}

// A pixel in the middle of a green letter (green all around it) left of x.
std::optional<std::pair<int, int>> PointOnALetter(const ScreenImage& image, int rightmost) {
  const auto green = [&](int px, int py) { return IsOverlayGreen(image.at(px, py)); };
  for (int py = 1; py + 1 < image.height; ++py)
    for (int px = 1; px + 1 < std::min(image.width, rightmost - image.x); ++px)
      if (green(px, py) && green(px - 1, py) && green(px + 1, py) && green(px, py - 1) && green(px, py + 1))
        return std::pair{image.x + px, image.y + py};
  return std::nullopt;
}

// Where the X11 program's text puts ink, bold at a cell of that height with
// the cell's corner at (250, 300): the font it opens on the X display in
// $DISPLAY, from the same fontconfig as the session's. Nothing without one.
std::optional<GreenArea> InkOfX11Text(const std::string& text, int cell) {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return std::nullopt;
  StdFont fresh;
  FontRequest request;
  request.height = cell;
  request.weight = 700;
  request.faceName = fresh.Name();
  std::optional<GreenArea> ink;
  if (XftFont* font = x11::OpenRequestedFont(display, DefaultScreen(display), request); font != nullptr) {
    XGlyphInfo extents{};
    XftTextExtentsUtf8(display, font, reinterpret_cast<const FcChar8*>(text.data()), static_cast<int>(text.size()),
                       &extents);
    ink = GreenArea{};
    ink->left = kTextLeft - extents.x;
    ink->top = kTextTop + font->ascent - extents.y;
    ink->right = ink->left + extents.width - 1;
    ink->bottom = ink->top + extents.height - 1;
    XftFontClose(display, font);
  }
  XCloseDisplay(display);
  return ink;
}

// The text's solid pixels lie within its ink, a pixel or two inside.
void ExpectSameSizeAsX11(const GreenArea& shown, const std::string& text, int cell) {
  const std::optional<GreenArea> x11 = InkOfX11Text(text, cell);
  if (!x11) {
    std::cout << "[ note     ] no X display in $DISPLAY: \"" << text << "\" not compared with the X11 text\n";
    return;
  }
  EXPECT_NEAR(shown.left, x11->left, 3) << text;
  EXPECT_NEAR(shown.top, x11->top, 3) << text;
  EXPECT_NEAR(shown.right, x11->right, 3) << text;
  EXPECT_NEAR(shown.bottom, x11->bottom, 3) << text;
  std::cout << "[ figures  ] \"" << text << "\": green " << shown.left << "," << shown.top << " to " << shown.right
            << "," << shown.bottom << "; the X11 text's ink " << x11->left << "," << x11->top << " to " << x11->right
            << "," << x11->bottom << "\n";
}

class WaylandSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (geteuid() != 0) GTEST_SKIP() << "needs root: namespaces of its own, and the user nobody";
    for (const char* tool : {"/usr/bin/sway", "/usr/bin/Xwayland", "/usr/bin/grim", "/usr/bin/foot"})
      if (access(tool, X_OK) != 0) GTEST_SKIP() << tool << " is missing: scripts/install-deps.sh installs it";
    const std::string failed = EnterFakeDevices({"input3"});
    ASSERT_EQ(failed, "");
    session_ = std::make_unique<SwaySession>(scratch_.path());
    ASSERT_EQ(session_->failure(), "");
    program_ = session_->giveToUser(ProgramExecutable());
    click_ = session_->giveToUser(LUMIO_WAYLAND_INPUT);
  }

  void TearDown() override {
    for (ChildProcess* child : {running_.get(), foot_.get(), pointer_.get()}) {
      if (child == nullptr) continue;
      child->stop();
      if (HasFailure()) std::cerr << "--- stderr (pid " << child->pid() << "):\n" << child->standardError() << "\n";
    }
    if (HasFailure() && session_) std::cerr << "--- sway:\n" << session_->swayErrors() << "\n";
    running_.reset();
    foot_.reset();
    pointer_.reset();
    session_.reset();
  }

  // The band of the screen the texts are painted in.
  ScreenImage screenshot() {
    const auto image = session_->screenshot(kAreaY, kAreaHeight);
    if (!image) ADD_FAILURE() << "grim gave no screenshot";
    return image ? *image : ScreenImage{};
  }
  bool swaymsg(const std::string& command) { return session_->swaymsg(command); }
  bool said(const std::string& text) { return running_->standardError().find(text) != std::string::npos; }

  // What foot has reported of the mouse so far: ESC [ M and three bytes a
  // press or a release.
  std::size_t mouseReports() {
    const std::string said = ReadWholeFile(session_->home() / "mouse");
    std::size_t count = 0;
    for (std::size_t at = said.find("\x1b[M"); at != std::string::npos; at = said.find("\x1b[M", at + 1)) ++count;
    return count;
  }

  // Clicks a green letter of the text in the image, and expects foot, the
  // window beneath, to report the click while the text is still shown.
  void expectClickOnTextReachesFoot(const ScreenImage& image, const char* what) {
    const auto point = PointOnALetter(image, kClickRightmost);
    ASSERT_TRUE(point) << what << ": no green letter to click";
    const std::size_t before = mouseReports();
    const auto clicked = session_->runToEnd({click_.string(), "click", std::to_string(point->first),
                                             std::to_string(point->second), std::to_string(kScreenWidth),
                                             std::to_string(kScreenHeight)});
    ASSERT_TRUE(clicked) << what << ": the virtual pointer did not click";
    const ScreenImage after = screenshot();
    EXPECT_TRUE(IsOverlayGreen(after.at(point->first - after.x, point->second - after.y)))
        << what << ": gone before the click could be seen to pass through it";
    EXPECT_TRUE(WaitUntil([&] { return mouseReports() >= before + 2; }, 1s))
        << what << ": a click on a letter at " << point->first << "," << point->second
        << " did not reach the terminal beneath (press and release reported: " << mouseReports() - before << ")";
  }

  // Sets the Caps Lock light as the compositor would, and returns the
  // announcement that follows, fully drawn, erased within 0.9 s.
  GreenArea announcementAfterLight(const char* value, const char* what,
                                   const std::function<void(const ScreenImage&)>& whileShown = {},
                                   const std::string& keyboard = "input3") {
    WriteFile(CapsLight(keyboard), value);
    return WatchAnnouncement([&] { return screenshot(); }, Clock::now(), what,
                             {.notBefore = 400ms, .within = 4s, .goneWithin = 900ms}, whileShown);
  }

  TempFolder scratch_{"lumio-e2e-wayland"};
  AdoptedProcesses adopted_;
  std::unique_ptr<SwaySession> session_;
  std::unique_ptr<ChildProcess> pointer_, foot_, running_;
  fs::path program_, click_;
};

TEST_F(WaylandSessionTest, CapsLockIsAnnouncedFromTheKeyboardLightWhileAWaylandWindowHasTheFocus) {
  // The seat's pointer, there before foot looks for one.
  pointer_ = session_->startAsUser({click_.string(), "hold"});
  // In foot, a shell that turns on mouse reporting and writes down what
  // foot reports: a press and a release, six bytes each.
  foot_ = session_->startAsUser({"foot", "-a", kFootId, "sh", "-c",
                       "stty raw -echo; printf '\\033[?1000h'; : > ready; exec cat > mouse"});
  const std::string foot = std::string("[app_id=\"^") + kFootId + "$\"]";
  ASSERT_TRUE(WaitUntil([&] { return swaymsg(foot + " nop"); }, 10s)) << "no foot window";
  ASSERT_TRUE(WaitUntil([&] { return fs::exists(session_->home() / "ready"); }, 5s))
      << "mouse reporting not on in foot";

  const auto started = Clock::now();
  running_ = session_->startAsUser({program_.string()});
  ASSERT_TRUE(WaitUntil([&] { return swaymsg("[title=\"^Lumio - Caps Lock$\"] nop") || !running_->running(); }, 5s));
  ASSERT_TRUE(running_->running()) << running_->standardError();
  // sway gives the new window the focus; the user goes back to the terminal.
  ASSERT_TRUE(swaymsg(foot + " focus"));
  ASSERT_TRUE(swaymsg("[app_id=\"^" + std::string(kFootId) + "$\" con_id=__focused__] nop")) << "foot is not focused";

  // The banner, whole: a first line of 32 px and four of 20 px below it.
  std::this_thread::sleep_until(started + 2s);
  const ScreenImage bannerImage = screenshot();
  const GreenArea banner = FindGreen(bannerImage);
  for (const int lineTop : {300, 340, 360, 380, 400})
    EXPECT_TRUE(FirstGreenRow(banner, kAreaY, lineTop, lineTop + 20)) << "no banner line at y=" << lineTop;
  EXPECT_NEAR(banner.left, kTextLeft, 8);
  EXPECT_GT(banner.right, kTextLeft + 300) << "the banner looks cut";
  EXPECT_FALSE(FirstGreenRow(banner, kAreaY, 420, kAreaY + kAreaHeight)) << "green below the banner";
  // The title line has a cell of 32 pixels, the next begins at y=340.
  ExpectSameSizeAsX11(FindGreen(Rows(bannerImage, kTextTop, 338)), "About: Lumio", 32);
  expectClickOnTextReachesFoot(Rows(bannerImage, kTextTop, 338), "the banner");
  std::this_thread::sleep_until(started + 9s);
  EXPECT_FALSE(FindGreen(screenshot()).any()) << "the banner is still there 9 s after start";

  const std::string stderrAtStart = running_->standardError();
  std::cout << "[ stderr   ] " << stderrAtStart;
  EXPECT_TRUE(said("Caps Lock is followed through the lights of 1 keyboard")) << stderrAtStart;
  EXPECT_EQ(stderrAtStart.find("Wayland session"), stderrAtStart.rfind("Wayland session")) << "said more than once";
  EXPECT_TRUE(said("texts are drawn on the compositor's overlay layer")) << stderrAtStart;

  // Through XWayland the lock is off all along: only the light says "on".
  const GreenArea on = announcementAfterLight("1\n", "Caps Lock is ON", [&](const ScreenImage& image) {
    expectClickOnTextReachesFoot(image, "\"Caps Lock is ON\"");
  });
  ASSERT_TRUE(on.any());
  ExpectWholeAnnouncement(on);
  ExpectSameSizeAsX11(on, "Caps Lock is ON", 72);

  const GreenArea off = announcementAfterLight("0\n", "Caps Lock is OFF");
  ASSERT_TRUE(off.any());
  EXPECT_NEAR(off.left, on.left, 2);
  EXPECT_NEAR(off.top, on.top, 2);
  EXPECT_GT(off.right, on.right + 10) << "\"Caps Lock is OFF\" should be wider than \"Caps Lock is ON\"";

  // Nothing happens: only the lights are looked at, every 20 ms.
  const IdleFigures idle = MeasureIdle({running_->pid()}, 3s)[0];
  std::cout << "[ figures  ] idle under sway: " << idle.cpuPercent << " % of a core, " << idle.wakeupsPerSecond
            << " wake-ups/s (bench/polling_cpu.sh sets them beside a bare 20 ms loop)\n";

  // A second keyboard, followed from the moment udev announces it.
  PlugKeyboard("input9");
  std::this_thread::sleep_for(400ms);
  EXPECT_TRUE(announcementAfterLight("1\n", "Caps Lock is ON from a keyboard plugged in 0.4 s before", {}, "input9")
                  .any());

  // Every keyboard taken away: blind, and said so; one back: said too.
  UnplugKeyboard("input3");
  UnplugKeyboard("input9");
  EXPECT_TRUE(WaitUntil([&] { return said("no keyboard light is left"); }, 1s)) << running_->standardError();
  PlugKeyboard("input3");
  EXPECT_TRUE(WaitUntil([&] { return said("followed again through the lights of 1 keyboard"); }, 1s))
      << running_->standardError();
  EXPECT_TRUE(running_->running()) << running_->standardError();
}

// --- KWin --------------------------------------------------------------------

// The real program in KDE Plasma's compositor: KWin, headless, with
// XWayland, and a native Wayland window (wev) holding the focus. The program
// is installed as a user installs it (scripts/install.sh, into a home of
// the test's own), whose desktop entry is what makes KWin offer it the lock
// keys' state; KWin checks that as on a desktop. Caps Lock is pressed
// through KWin's fake input, as a keyboard would; no light is faked.

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
