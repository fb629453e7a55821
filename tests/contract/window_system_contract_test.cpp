// The window system's contract with the form, held by each backend: the
// window and its children as described, key faces, clicks, timers, message
// boxes and the ways the loop ends.
#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "contract/window_system_driver.h"
#include "keymonitor/form_layout.h"
#include "support/wait.h"

namespace lumio::testing {
namespace {

using namespace std::chrono_literals;

class WindowSystemContract : public ::testing::Test {
 protected:
  void SetUp() override { driver = MakeWindowSystemDriver(events); }

  WindowSystem& ws() { return driver->windowSystem(); }
  // The introduction's timer would tick into every test after seven seconds.
  void Create(const FormDescription& form = frmOSDLayout()) {
    ws().createWindow(form, events);
    ws().setTimerEnabled(TimerName::tmrAbout, false);
  }
  bool PumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    return WaitUntil(condition, timeout, [this] { driver->turn(); });
  }
  void PumpFor(std::chrono::milliseconds time) {
    PumpUntil([] { return false; }, time);
  }

  RecordingEvents events;
  std::unique_ptr<WindowSystemDriver> driver;
};

TEST_F(WindowSystemContract, HoldsEveryChildBelowTheVisibleAreaInTabOrder) {
  Create();
  const FormDescription& form = frmOSDLayout();
  const int dpi = driver->dpi();
  const std::vector<ChildSeen> children = driver->children();
  ASSERT_EQ(children.size(), form.tabOrder.size());
  const auto described = [dpi](const auto& child) {
    return std::tuple(std::string(child.caption), TwipsToPixels(child.left, dpi), TwipsToPixels(child.top, dpi),
                      TwipsToPixels(child.width, dpi), TwipsToPixels(child.height, dpi));
  };
  for (std::size_t i = 0; i < children.size(); ++i) {
    const TabStop& stop = form.tabOrder[i];
    const ChildSeen& seen = children[i];
    EXPECT_EQ(std::tuple(seen.caption, seen.left, seen.top, seen.width, seen.height),
              stop.child != nullptr ? described(*stop.child) : described(*stop.key))
        << "child " << i;
    EXPECT_GE(seen.top, driver->clientHeight()) << "child " << i << " would be seen";
  }
  EXPECT_EQ(driver->clientHeight(), TwipsToPixels(form.clientHeight, dpi));
}

TEST_F(WindowSystemContract, Text1GivesWhatTheBoxHolds) {
  Create();
  EXPECT_EQ(ws().text1(), "Caps Lock is OFF");
  driver->typeIntoText1("typed by the user");
  EXPECT_EQ(ws().text1(), "typed by the user");
  driver->typeIntoText1("");
  EXPECT_EQ(ws().text1(), "");
}

TEST_F(WindowSystemContract, KeysShowTheirColourAndABackColourCoversGraphicalKeysOnly) {
  Create();
  driver->showKeyFaces();
  EXPECT_EQ(driver->keyFace(kCapsLockCode), driver->shownAs(kButtonFace));
  EXPECT_EQ(driver->keyFace(30), driver->shownAs(kActiveBorder)) << "A starts up";
  EXPECT_EQ(driver->keyFace(14), driver->shownAs(kLightGrey)) << "Back";

  ws().setKeyBackColor(kCapsLockCode, kYellow);
  EXPECT_TRUE(PumpUntil([&] { return driver->keyFace(kCapsLockCode) == ShownColour{255, 255, 0}; }, 2s));
  ws().setKeyBackColor(kCapsLockCode, kActiveBorder);  // a system colour is the system's
  EXPECT_TRUE(PumpUntil([&] { return driver->keyFace(kCapsLockCode) == driver->shownAs(kActiveBorder); }, 2s));

  // The plain button keeps its standard look whatever its back colour.
  const ShownColour standard = driver->keyFace(1);
  ws().setKeyBackColor(1, kYellow);
  PumpFor(100ms);
  EXPECT_EQ(driver->keyFace(1), standard);
  // The core never names a code without a button; were it to, nothing happens.
  ws().setKeyBackColor(99, kYellow);
  ws().setKeyBackColor(300, kYellow);
}

TEST_F(WindowSystemContract, ClicksNameTheirKeyOrControlUntilTheProgramEnds) {
  Create();
  for (int index : {30, 0, 1, 219, kCapsLockCode}) driver->clickKey(index);
  for (Control control : {Control::cmdShow, Control::cmdRemove, Control::cmdCapNum, Control::cmdHideIcons,
                          Control::cmdShowicons})
    driver->clickControl(control);
  PumpFor(50ms);
  EXPECT_EQ(events.keys, (std::vector<int>{30, 0, 1, 219, kCapsLockCode}));
  EXPECT_EQ(events.controls, (std::vector<Control>{Control::cmdShow, Control::cmdRemove, Control::cmdCapNum,
                                                   Control::cmdHideIcons, Control::cmdShowicons}));

  ws().endProgram();
  driver->clickKey(30);
  PumpFor(50ms);
  EXPECT_EQ(events.keys.size(), 5u) << "a click after the end";
}

TEST_F(WindowSystemContract, DescribedTimersStartAtCreationAndOthersNeverTick) {
  // The form's timers, but the introduction's seven seconds made 100 ms.
  FormDescription form = frmOSDLayout();
  std::vector<TimerDesc> timers(form.timers.begin(), form.timers.end());
  for (TimerDesc& timer : timers)
    if (timer.timer == TimerName::tmrAbout) timer.intervalMs = 100;
  form.timers = timers;
  ws().createWindow(form, events);
  ASSERT_TRUE(PumpUntil([&] { return events.ticksOf(TimerName::tmrAbout) >= 2; }, 3s));
  EXPECT_EQ(events.ticks.size(), static_cast<std::size_t>(events.ticksOf(TimerName::tmrAbout)))
      << "only the introduction's timer ticks";
  ws().setTimerEnabled(TimerName::tmrAbout, false);

  ws().setTimerEnabled(TimerName::Timer1, true);
  ASSERT_TRUE(PumpUntil([&] { return events.ticksOf(TimerName::Timer1) >= 5; }, 3s));
  ws().setTimerEnabled(TimerName::Timer1, false);
  const int stoppedAt = events.ticksOf(TimerName::Timer1);
  PumpFor(150ms);
  EXPECT_EQ(events.ticksOf(TimerName::Timer1), stoppedAt) << "a tick after it was disabled";
  EXPECT_EQ(events.ticksOf(TimerName::tmrTestCaps), 0);
  EXPECT_EQ(events.ticksOf(TimerName::tmrRemoveText), 0);
}

TEST_F(WindowSystemContract, EnablingARunningTimerBeginsANewInterval) {
  Create();
  ws().setTimerEnabled(TimerName::tmrTestCaps, true);  // 700 ms
  PumpFor(400ms);
  const auto restarted = std::chrono::steady_clock::now();
  ws().setTimerEnabled(TimerName::tmrTestCaps, true);
  ASSERT_TRUE(PumpUntil([&] { return events.ticksOf(TimerName::tmrTestCaps) >= 1; }, 3s));
  // A tick this soon after the restart could only come from the first
  // interval; the margin is for timers that round their interval.
  EXPECT_GE(events.ticks.back().at - restarted, 600ms) << "the first interval was not restarted";
}

TEST_F(WindowSystemContract, TimersKeepTickingWhileAMessageBoxIsOpen) {
  Create();
  ws().showWindow();
  const std::string caption = "lumio message box test";
  int ticksWhileOpen = 0;
  events.onTick = [&](TimerName timer) {
    if (timer != TimerName::Timer1 || !driver->messageBoxOpen(caption)) return;
    if (++ticksWhileOpen == 5) driver->clickOk(caption);
  };
  const auto net = driver->safetyNet(10s);
  ws().setTimerEnabled(TimerName::Timer1, true);
  ws().messageBox("Lumio Load - Error: 57 Device I/O error", MessageIcon::Information, caption);
  EXPECT_FALSE(net->caught()) << "the box was never closed by its OK";
  EXPECT_GE(ticksWhileOpen, 5);
}

TEST_F(WindowSystemContract, DoEventsReturnsEvenWhenATimerOutrunsItsHandler) {
  Create();
  events.onTick = [](TimerName) { std::this_thread::sleep_for(30ms); };
  ws().setTimerEnabled(TimerName::Timer1, true);
  PumpFor(60ms);
  const auto start = std::chrono::steady_clock::now();
  ws().doEvents();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
  EXPECT_LE(events.ticksOf(TimerName::Timer1), 10);
}

TEST_F(WindowSystemContract, EndProgramEndsTheLoopAndNothingIsDeliveredAfterIt) {
  Create();
  ws().showWindow();
  ws().setTimerEnabled(TimerName::Timer1, true);
  events.onTick = [&](TimerName) {
    if (events.ticksOf(TimerName::Timer1) == 3) ws().endProgram();
  };
  const auto net = driver->safetyNet(10s);
  ws().runEventLoop();
  EXPECT_FALSE(net->caught());
  EXPECT_EQ(events.ticksOf(TimerName::Timer1), 3);

  driver->clickKey(kCapsLockCode);
  ws().setTimerEnabled(TimerName::Timer1, true);  // too late: stays off
  PumpFor(150ms);
  EXPECT_TRUE(events.keys.empty()) << "a click after the end";
  EXPECT_EQ(events.ticksOf(TimerName::Timer1), 3);
}

TEST_F(WindowSystemContract, AFailureEscapingAnEventEndsTheLoopAndComesOutOfIt) {
  Create();
  ws().showWindow();
  ws().setTimerEnabled(TimerName::Timer1, true);
  events.onTick = [](TimerName) { throw std::runtime_error("handler failed"); };
  const auto net = driver->safetyNet(10s);
  EXPECT_THROW(ws().runEventLoop(), std::runtime_error);
  EXPECT_FALSE(net->caught());
  EXPECT_EQ(events.ticksOf(TimerName::Timer1), 1);
  EXPECT_FALSE(driver->windowShown());
  driver->clickKey(kCapsLockCode);
  PumpFor(50ms);
  EXPECT_TRUE(events.keys.empty()) << "a click after the end";
}

TEST_F(WindowSystemContract, ClosingTheWindowEndsTheLoopWithAnEndingEvent) {
  Create();
  ws().showWindow();
  ASSERT_TRUE(PumpUntil([&] { return driver->windowShown(); }, 5s));
  driver->clickCloseBox();
  const auto net = driver->safetyNet(10s);
  ws().runEventLoop();
  EXPECT_FALSE(net->caught());
  EXPECT_EQ(events.endings, 1);
  EXPECT_TRUE(PumpUntil([&] { return !driver->windowShown(); }, 5s));
}

}  // namespace
}  // namespace lumio::testing
