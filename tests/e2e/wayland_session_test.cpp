// The real program in a real Wayland session: sway, headless, with XWayland,
// and a native Wayland terminal (foot) holding the focus, so that XWayland
// hears no key at all. sway has a layer shell: the texts are surfaces on its
// overlay layer, and a click on their letters reaches foot beneath, which
// reports it to the program it runs (mouse reporting on) and that program
// to a file; the clicks come from a virtual pointer of our own. The keyboard lights are faked at their real path:
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
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "e2e/announcement_checks.h"
#include "e2e/e2e_support.h"
#include "overlay/std_font.h"
#include "platform/linux/x11/screen_surface_x11.h"
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
constexpr int kScreenWidth = 1280, kScreenHeight = 800;
// Clicks land left of this, clear of the program's own window in the middle.
constexpr int kClickRightmost = 470;

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
    GiveToUser(CopyExecutable(LUMIO_CLICK, scratch_.path() / "program"), fs::perms(0755));
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
    for (ChildProcess* child : {program_.get(), foot_.get(), pointer_.get(), sway_.get()}) {
      if (child == nullptr) continue;
      child->stop();
      if (HasFailure()) std::cerr << "--- stderr (pid " << child->pid() << "):\n" << child->standardError() << "\n";
    }
    program_.reset();
    foot_.reset();
    pointer_.reset();
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
  ScreenImage screenshot() {
    const auto bytes = runToEnd({"grim", "-t", "ppm", "-g", "0," + std::to_string(kAreaY) + " 1280x" +
                                                          std::to_string(kAreaHeight), "-"});
    const auto image = bytes ? ImageFromPpm(*bytes, 0, kAreaY) : std::nullopt;
    if (!image) ADD_FAILURE() << "grim gave no screenshot";
    return image ? *image : ScreenImage{};
  }
  GreenArea screenshotGreen() { return FindGreen(screenshot()); }

  // What foot has reported of the mouse so far: ESC [ M and three bytes a
  // press or a release.
  std::size_t mouseReports() {
    const std::string said = ReadWholeFile(scratch_.path() / "home" / "mouse");
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
    const auto clicked = runToEnd({(scratch_.path() / "program" / "virtual_pointer_click").string(),
                                   std::to_string(point->first), std::to_string(point->second),
                                   std::to_string(kScreenWidth), std::to_string(kScreenHeight)});
    ASSERT_TRUE(clicked) << what << ": the virtual pointer did not click";
    const ScreenImage after = screenshot();
    EXPECT_TRUE(IsOverlayGreen(after.at(point->first - after.x, point->second - after.y)))
        << what << ": gone before the click could be seen to pass through it";
    EXPECT_TRUE(WaitUntil([&] { return mouseReports() >= before + 2; }, 1s))
        << what << ": a click on a letter at " << point->first << "," << point->second
        << " did not reach the terminal beneath (press and release reported: " << mouseReports() - before << ")";
  }

  // Sets the Caps Lock light as the compositor would, and returns the
  // announcement that follows, fully drawn; checks it is erased in time.
  // whileShown runs on its screenshot, fully drawn, while it shows.
  GreenArea announcementAfterLight(const char* value, const char* what,
                                   const std::function<void(const ScreenImage&)>& whileShown = {}) {
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
    const ScreenImage image = screenshot();
    const GreenArea text = FindGreen(image);
    if (whileShown) whileShown(image);
    std::this_thread::sleep_until(shownAt + 900ms);
    EXPECT_FALSE(screenshotGreen().any()) << what << ": still on the screen 0.9 s after it was first seen";
    std::cout << "[ figures  ] " << what << ": first seen " << shownMs << " ms after the light changed\n";
    return text;
  }

  TempFolder scratch_{"lumio-e2e-wayland"};
  AdoptedProcesses adopted_;  // made before any child, gone after them all: it ends what they leave behind
  std::unique_ptr<ChildProcess> sway_, pointer_, foot_, program_;
  std::string wayland_, swaySocket_, xDisplay_;
};

TEST_F(WaylandSessionTest, CapsLockIsAnnouncedFromTheKeyboardLightWhileAWaylandWindowHasTheFocus) {
  // The seat's pointer, there before foot looks for one.
  pointer_ = startAsUser({(scratch_.path() / "program" / "virtual_pointer_click").string(), "hold"});
  // In foot, a shell that turns on mouse reporting and writes down what
  // foot reports: a press and a release, six bytes each.
  foot_ = startAsUser({"foot", "-a", kFootId, "sh", "-c",
                       "stty raw -echo; printf '\\033[?1000h'; : > ready; exec cat > mouse"});
  const std::string foot = std::string("[app_id=\"^") + kFootId + "$\"]";
  ASSERT_TRUE(WaitUntil([&] { return swaymsg(foot + " nop"); }, 10s)) << "no foot window";
  ASSERT_TRUE(WaitUntil([&] { return fs::exists(scratch_.path() / "home" / "ready"); }, 5s))
      << "mouse reporting not on in foot";

  const auto started = Clock::now();
  program_ = startAsUser({"DISPLAY=" + xDisplay_, (scratch_.path() / "program" / "lumio-capslock").string()});
  ASSERT_TRUE(WaitUntil([&] { return swaymsg("[title=\"^Lumio - Caps Lock$\"] nop") || !program_->running(); }, 5s));
  ASSERT_TRUE(program_->running()) << program_->standardError();
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
  EXPECT_FALSE(screenshotGreen().any()) << "the banner is still there 9 s after start";

  const std::string said = program_->standardError();
  std::cout << "[ stderr   ] " << said;
  EXPECT_NE(said.find("Caps Lock is followed through the lights of 1 keyboard"), std::string::npos) << said;
  EXPECT_EQ(said.find("Wayland session"), said.rfind("Wayland session")) << "said more than once: " << said;
  EXPECT_NE(said.find("texts are drawn on the compositor's overlay layer"), std::string::npos) << said;

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
  EXPECT_TRUE(program_->running()) << program_->standardError();
}

}  // namespace
}  // namespace lumio::testing::e2e
