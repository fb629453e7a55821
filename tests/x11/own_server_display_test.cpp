// The user's own setup, on an X server of these tests' own (what they change
// every client of a server shares): keyboard layouts switched while the
// program runs, several monitors, a window manager that restarts.
#include "backend_fixture.h"

#include <FL/Fl_Button.H>
#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>

#include <csignal>
#include <cstdlib>
#include <memory>
#include <optional>

#include "keymonitor/module1.h"
#include "platform/linux/x11/monitors_x11.h"
#include "support/own_x_server.h"
#include "support/x_screen.h"

namespace lumio::x11::testing {
namespace {

using namespace std::chrono_literals;
using lumio::testing::ChildProcess;
using lumio::testing::FindProgram;
using lumio::testing::RunTool;
using lumio::testing::GrabGreen;
using lumio::testing::GreenArea;
using lumio::testing::WaitUntil;
using lumio::testing::XScreen;

// Room for two monitors side by side, of different heights.
class OwnServer final : public ::testing::Environment {
 public:
  void SetUp() override {
    server_ = std::make_unique<lumio::testing::OwnXServer>(
        std::vector<std::string>{"-noreset", "-screen", "0", "2304x1024x24"});
    setenv("DISPLAY", server_->display().c_str(), 1);
  }

 private:
  std::unique_ptr<lumio::testing::OwnXServer> server_;
};

void RunOrFail(const std::string& tool, const std::vector<std::string>& arguments) {
  const lumio::testing::RunResult result = RunTool(tool, arguments);
  ASSERT_TRUE(result.succeeded()) << tool << " failed: " << result.error;
}

void Key(XScreen& xs, int keycode, bool down) {
  XTestFakeKeyEvent(xs.display(), static_cast<unsigned>(keycode), down ? True : False, CurrentTime);
  xs.sync();
}

class OwnServerTest : public BackendTest {
 protected:
  void TearDown() override {
    // The server as the next test in this process expects it.
    XkbLockGroup(xs.display(), XkbUseCoreKbd, 0);
    RunTool("setxkbmap", {"-layout", "us", "-option", ""});
    SetCapsLock(false);
    BackendTest::TearDown();
  }
  // Through Caps Lock's usual key, which it is in the layout "us".
  void SetCapsLock(bool on) {
    if (xs.capsLockOn() == on) return;
    Key(xs, 66, true);
    Key(xs, 66, false);
  }
  XScreen xs;
};

// --- Which key is Caps Lock -------------------------------------------------

std::vector<int> YellowKeys(const X11WindowSystem& window) {
  std::vector<int> yellow;
  for (const KeyDesc& key : frmOSDLayout().keys)
    if (const Fl_Button* button = KeyButton(window, key.index);
        button != nullptr && button->color() == fl_rgb_color(255, 255, 0))
      yellow.push_back(key.index);
  return yellow;
}

TEST_F(OwnServerTest, CapsLockIsTheKeyTheLayoutMakesCapsLockAsItChangesWhileRunning) {
  if (FindProgram("setxkbmap").empty()) GTEST_SKIP() << "no setxkbmap: run scripts/install-deps.sh";
  RunOrFail("setxkbmap", {"-layout", "us", "-option", ""});
  PollingForm polling(*backend);
  LoopDeadline deadline(backend->window, 40.0);

  // Each row after the first changes the layout while the program runs.
  const struct {
    const char* layout;
    std::vector<std::string> setxkbmap;  // empty: the layout stays
    int group;                           // locked after setxkbmap
    int keycode;                         // 9 is Esc's place, 66 Caps Lock's
    bool capsLock;                       // the layout makes the key Caps_Lock
    bool locks;                          // the server turns the lock over with it
  } rows[] = {
      {"us", {}, 0, 66, true, true},
      {"ctrl:nocaps", {"-layout", "us", "-option", "", "-option", "ctrl:nocaps"}, 0, 66, false, false},
      {"caps:swapescape, Esc's place", {"-layout", "us", "-option", "", "-option", "caps:swapescape"}, 0, 9, true,
       true},
      {"caps:swapescape, Caps Lock's place", {}, 0, 66, false, false},
      // BackSpace in colemak. It still locks, for XKB's modifier map of the
      // two groups together ties Lock to the key, but the user pressed
      // BackSpace, not Caps Lock.
      {"us,us(colemak) switched to colemak", {"-layout", "us,us", "-variant", ",colemak", "-option", ""}, 1, 66,
       false, true},
      {"us,us(colemak) switched back", {}, 0, 66, true, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.layout);
    if (!row.setxkbmap.empty()) RunOrFail("setxkbmap", row.setxkbmap);
    XkbLockGroup(xs.display(), XkbUseCoreKbd, static_cast<unsigned>(row.group));
    xs.sync();
    // An announcement can be painted again: the last one came and went.
    ASSERT_TRUE(PumpUntil([&] { return bAllowShow == kTrue; }, 3s));
    const std::size_t texts = polling.screen.texts.size();
    const bool lockBefore = xs.capsLockOn();

    Key(xs, row.keycode, true);
    if (row.capsLock) PumpUntil([&] { return !YellowKeys(backend->window).empty(); }, 1s);
    PumpFor(100ms);  // five polls
    EXPECT_EQ(YellowKeys(backend->window), row.capsLock ? std::vector<int>{58} : std::vector<int>{})
        << "the keys the snapshot reads as down";
    EXPECT_EQ(backend->lockKeys.state(LockKey::Caps).held, row.capsLock);
    Key(xs, row.keycode, false);

    EXPECT_EQ(xs.capsLockOn(), row.locks ? !lockBefore : lockBefore) << "the layout's own action";
    if (row.capsLock) {
      ASSERT_TRUE(PumpUntil([&] { return polling.screen.texts.size() > texts; }, 3s)) << "not announced";
      EXPECT_EQ(polling.screen.texts.back(), xs.capsLockOn() ? "Caps Lock is ON" : "Caps Lock is OFF");
    } else {
      const int announcements = polling.events.ticksOf(TimerName::tmrTestCaps);
      PumpFor(800ms);  // an announcement comes 700 ms after the key
      EXPECT_EQ(polling.events.ticksOf(TimerName::tmrTestCaps), announcements) << "an announcement came";
    }
  }
  EXPECT_FALSE(deadline.fired());
}

// --- Several monitors -------------------------------------------------------

// Two monitors defined for as long as it lives.
class Monitors {
 public:
  Monitors(const ScreenArea& primary, const ScreenArea& other) {
    Define("*lumio-primary", primary);
    Define("lumio-other", other);
  }
  ~Monitors() {
    for (const char* name : {"lumio-primary", "lumio-other"}) RunTool("xrandr", {"--delmonitor", name});
  }
  Monitors(const Monitors&) = delete;
  Monitors& operator=(const Monitors&) = delete;

 private:
  static void Define(const std::string& name, const ScreenArea& a) {
    // width/mm x height/mm + x + y, at about 96 dpi
    const std::string geometry = std::to_string(a.width) + "/" + std::to_string(a.width * 254 / 960) + "x" +
                                 std::to_string(a.height) + "/" + std::to_string(a.height * 254 / 960) + "+" +
                                 std::to_string(a.x) + "+" + std::to_string(a.y);
    RunOrFail("xrandr", {"--setmonitor", name, geometry, "none"});
  }
};

TEST_F(OwnServerTest, TheWindowAndTheTextsCountFromThePrimaryMonitor) {
  if (FindProgram("xrandr").empty()) GTEST_SKIP() << "no xrandr: run scripts/install-deps.sh";
  const ScreenArea left{0, 0, 1024, 768}, right{1024, 0, 1280, 1024};
  const struct {
    const char* setup;
    ScreenArea primary, other;
  } rows[] = {{"primary on the right", right, left}, {"primary on the left", left, right}};
  SetCapsLock(true);
  PollingForm polling(*backend);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.setup);
    Monitors monitors(row.primary, row.other);
    if (HasFatalFailure()) return;
    const Window xid = ShowMainWindow(polling.events, xs.display());
    ASSERT_NE(xid, 0u);
    XWindowAttributes window{};
    ASSERT_TRUE(XGetWindowAttributes(xs.display(), xid, &window));
    EXPECT_NEAR(window.x + window.width / 2, row.primary.x + row.primary.width / 2, 1);
    EXPECT_NEAR(window.y + window.height / 2, row.primary.y + row.primary.height / 2, 1);

    polling.form.cmdCapNum_Click();  // "Caps Lock is ON" at (250, 300), at once
    GreenArea text;
    EXPECT_TRUE(WaitUntil(
        [&] {
          text = GrabGreen(xs, 0, 0, xs.width(), xs.height());
          return text.count > 3000;
        },
        5s));
    EXPECT_GE(text.left, row.primary.x + 250 - 2);
    EXPECT_LE(text.left, row.primary.x + 250 + 10);
    EXPECT_GE(text.top, row.primary.y + 300 - 1);
    EXPECT_LE(text.top, row.primary.y + 300 + 72 * 3 / 10);
    EXPECT_LT(text.right, row.primary.x + row.primary.width) << "the text runs onto the other monitor";
    EXPECT_EQ(polling.screen.texts.back(), "Caps Lock is ON");
    polling.form.cmdRemove_Click();
    EXPECT_TRUE(WaitUntil([&] { return !GrabGreen(xs, 0, 0, xs.width(), xs.height()).any(); }, 5s));
  }
}

// --- A window manager that restarts or is replaced -------------------------

Window ParentOf(Display* dpy, Window window) {
  Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  if (XQueryTree(dpy, window, &root, &parent, &children, &count) == 0) return 0;
  if (children != nullptr) XFree(children);
  return parent;
}

TEST_F(OwnServerTest, TheWindowStaysWhereItIsWhenTheWindowManagerRestartsOrIsReplaced) {
  const std::filesystem::path openbox = FindProgram("openbox");
  if (openbox.empty()) GTEST_SKIP() << "no openbox: run scripts/install-deps.sh";
  const auto startOpenbox = [&](std::vector<std::string> arguments) {
    arguments.push_back("--sm-disable");
    return std::make_unique<ChildProcess>(ChildProcess::Options{openbox, arguments, {}, {}, {}});
  };
  auto manager = startOpenbox({});
  const Window probe = xs.createWindow(0, 0, 50, 50, 0x808080);
  ASSERT_TRUE(WaitUntil([&] { return ParentOf(xs.display(), probe) != xs.root(); }, 10s)) << "openbox did not start";
  xs.destroyWindow(probe);

  RecordingEvents events;
  backend->window.createWindow(frmOSDLayout(), events);
  backend->window.showWindow();
  const auto xid = static_cast<Window>(backend->window.nativeHandle());
  const auto onRoot = [&] {
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(xs.display(), xid, xs.root(), 0, 0, &x, &y, &child);
    return std::pair{x, y};
  };
  // Framed by the window manager now running, and placed: it no longer moves.
  const auto settledIn = [&](Window oldFrame) {
    const bool framed = PumpUntil(
        [&] {
          const Window frame = ParentOf(xs.display(), xid);
          return xs.isViewable(xid) && frame != xs.root() && frame != oldFrame && frame != 0;
        },
        10s);
    PumpFor(300ms);
    return framed;
  };
  ASSERT_TRUE(settledIn(0));
  const std::pair<int, int> placed = onRoot();

  const struct {
    const char* how;
    int signal;  // 0: replaced by a new one
  } restarts[] = {{"killed", SIGKILL}, {"ended", SIGTERM}, {"killed again", SIGKILL}, {"replaced", 0}};
  for (const auto& restart : restarts) {
    SCOPED_TRACE(restart.how);
    // A new window manager may be given the ended one's window numbers, so
    // its frame is only known to be new once the window was on the root.
    Window frame = ParentOf(xs.display(), xid);
    if (restart.signal != 0) {
      manager->sendSignal(restart.signal);
      ASSERT_TRUE(manager->waitForExit(5s));
      ASSERT_TRUE(PumpUntil([&] { return ParentOf(xs.display(), xid) == xs.root(); }, 5s)) << "not given back";
      frame = 0;
      manager = startOpenbox({});
    } else {
      auto next = startOpenbox({"--replace"});
      EXPECT_TRUE(manager->waitForExit(5s)) << "the old window manager did not give way";
      manager = std::move(next);
    }
    ASSERT_TRUE(settledIn(frame)) << "the new window manager did not frame the window";
    const std::pair<int, int> now = onRoot();
    EXPECT_EQ(now, placed) << "moved by (" << now.first - placed.first << ", " << now.second - placed.second << ")";
  }
}

}  // namespace
}  // namespace lumio::x11::testing

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new lumio::x11::testing::OwnServer);  // Google Test owns it
  return RUN_ALL_TESTS();
}
